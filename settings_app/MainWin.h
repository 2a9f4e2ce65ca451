#pragma once

#include <QMainWindow>
#include <memory>

class AuthenticateButton;
class NightfoldUser;
class QMenuBar;
class QStackedWidget;

// The main settings window: a status page and, unlocked, the rule editor.
// One instance per process.
class MainWin : public QMainWindow {
    Q_OBJECT
public:
    // The one instance, created on first use (not shown).
    static MainWin* instance();
    // The instance when one exists, else nullptr.
    static MainWin* existing();

    // Shows the window, or brings it to the front.
    void showAndRaise();
    void DisplayUser();
    // Called by the application before a menu of this window's bar shows.
    void EnableMenuItems(QMenuBar* bar);
    void ToggleUserDrawer();

    std::shared_ptr<NightfoldUser> currentUser;
    AuthenticateButton* AuthenticateButton1 = nullptr;
    AuthenticateButton* AuthenticateButton2 = nullptr;
    // Page 0: the settings page; page 1: the status page.
    QStackedWidget* SettingsPanel = nullptr;

private:
    MainWin();
};
