#include "SettingsApp.h"

#include "AboutWin.h"
#include "AppDebugLog.h"
#include "AppPictures.h"
#include "EasyPrefs.h"
#include "EnablerWindow.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "HelpRunner.h"
#include "MainWin.h"
#include "MenuBar1.h"
#include "Methods.h"
#include "PrefsWin.h"
#include "SettingsMethods.h"
#include "SystemPaths.h"
#include "UserClass.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>

namespace {
SettingsApp* g_current = nullptr;

void showInFront(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}
}  // namespace

SettingsApp::SettingsApp()
{
    g_current = this;
    Methods::setProgram(Methods::Program::SettingsApplication);
    UserClass::setApplicationPicture(AppPictures::UsersPref);
    QCoreApplication::setApplicationVersion(QStringLiteral(NIGHTFOLD_VERSION));
    App::setDebugLogWriter(debugLog);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &SettingsApp::Close);
}

SettingsApp::~SettingsApp()
{
    if (g_current == this)
        g_current = nullptr;
}

SettingsApp* SettingsApp::current() { return g_current; }

void SettingsApp::debugLog(const QString&) {}

bool SettingsApp::UnhandledException(std::exception_ptr error)
{
    ErrorAndLoggingGlobals::lastResort(error);
    return true;
}

void SettingsApp::Close() { Methods::DropRights(); }

void SettingsApp::EnableMenuItems(QMenuBar* bar)
{
    handled("app.enablemenuitems", [bar] {
        const auto enable = [bar](const char* name, bool enabled) {
            if (QAction* item = MenuBar1::item(bar, QLatin1String(name)))
                item->setEnabled(enabled);
        };
        enable("AppleEnableNightfold", true);
        enable("AppleAboutNightfold", true);
        enable("GoQuillmarshWebsite", true);
        enable("GoContactTechnicalSupport", true);
        enable("UserShowSettings", Globals::agentInstalled);
        enable("EditPreferences", Globals::agentInstalled);
        if (QAction* toggle = MenuBar1::item(bar, QStringLiteral("AppleEnableNightfold")))
            toggle->setText(Globals::agentInstalled ? QStringLiteral("Turn Off Nightfold...") : QStringLiteral("Turn On Nightfold..."));
    });
}

void SettingsApp::Open()
{
    handled("app.open", [this] {
        HelpRunner::RegisterHelpMachO();
        m_helpMenuVisible = false;
        for (QMenuBar* bar : MenuBar1::all()) {
            if (QMenu* help = MenuBar1::menu(bar, QStringLiteral("HelpMenu")))
                help->menuAction()->setVisible(false);
        }
        Methods::ReadPrefs();
        Methods::determineAdminStatus();
        Globals::agentInstalled = Methods::isAgentInstalled() && !Methods::agentNeedsUpdating();
        if (!Globals::agentInstalled)
            showInFront(EnablerWindow::instance());
        else
            MainWin::instance()->showAndRaise();
        // The agent opens the application by this path when asked to.
        EasyPrefs::SetPrefFolderItem(QStringLiteral("appLocation"), SystemPaths::toSystemPath(QCoreApplication::applicationFilePath()));
        QGuiApplication::setQuitOnLastWindowClosed(true);
    });
}

bool SettingsApp::EditPreferences_Action()
{
    showInFront(PrefsWin::instance());
    return true;
}

bool SettingsApp::AppleEnableNightfold_Action()
{
    showInFront(EnablerWindow::instance());
    return true;
}

bool SettingsApp::AppleAboutNightfold_Action()
{
    showInFront(AboutWin::instance());
    return true;
}

bool SettingsApp::UserShowSettings_Action()
{
    MainWin::instance()->showAndRaise();
    return true;
}

bool SettingsApp::GoQuillmarshWebsite_Action()
{
    QDesktopServices::openUrl(websiteAddress());
    return true;
}

bool SettingsApp::HelpNightfoldHelp_Action()
{
    HelpRunner::OpenHelpMachO(QString(), QString());
    return true;
}

bool SettingsApp::GoContactTechnicalSupport_Action()
{
    QDesktopServices::openUrl(supportAddress());
    return true;
}

QUrl SettingsApp::websiteAddress() { return QUrl(QStringLiteral("https://nightfold.example/")); }
QUrl SettingsApp::supportAddress() { return QUrl(QStringLiteral("https://nightfold.example/support/")); }
