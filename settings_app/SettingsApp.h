#pragma once

#include <QObject>
#include <QUrl>
#include <exception>

class QMenuBar;

// The settings application's application object: start-up, the last-resort
// error handler, the application's menu rules and its menu handlers. Created
// once by the start-up code; it registers itself as the process's one.
class SettingsApp : public QObject {
    Q_OBJECT

public:
    SettingsApp();
    ~SettingsApp() override;

    // The registered application object, nullptr before there is one.
    static SettingsApp* current();

    // The debug log of the settings application does nothing with a message.
    static void debugLog(const QString& message);
    // Reports an error no routine handled; the program keeps running (true).
    bool UnhandledException(std::exception_ptr error);
    // The application is quitting: the administrator rights go.
    void Close();
    // The application's rules for the items of a window's bar.
    void EnableMenuItems(QMenuBar* bar);
    // Start-up, once the event loop runs: settings, administrators, the agent's
    // state, then the agent-status window or the main window.
    void Open();

    bool EditPreferences_Action();
    bool AppleEnableNightfold_Action();
    bool AppleAboutNightfold_Action();
    bool UserShowSettings_Action();
    bool GoQuillmarshWebsite_Action();
    bool HelpNightfoldHelp_Action();
    bool GoContactTechnicalSupport_Action();

    // Start-up hides the help menu in every bar, present and future.
    bool helpMenuVisible() const { return m_helpMenuVisible; }

    static QUrl websiteAddress();
    static QUrl supportAddress();

private:
    bool m_helpMenuVisible = true;
};
