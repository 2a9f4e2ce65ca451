#include "AboutWin.h"
#include "AppMachineFixture.h"
#include "AppDebugLog.h"
#include "EasyPrefs.h"
#include "EnablerWindow.h"
#include "ErrorAndLoggingGlobals.h"
#include "FileTypes.h"
#include "Globals.h"
#include "HelpRunner.h"
#include "MainWin.h"
#include "MenuBar1.h"
#include "NightfoldApplication.h"
#include "NightfoldUser.h"
#include "PrefsWin.h"
#include "QMBroadcastingLog.h"
#include "RuntimeError.h"
#include "SettingsApp.h"
#include "VersionStatic.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

namespace {
// Catches what the application hands the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char* scheme : {"https", "file"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : {"https", "file"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class SettingsAppTest : public AppMachineFixture {
protected:
    void SetUp() override
    {
        AppMachineFixture::SetUp();
        HelpRunner::reset();
        app = std::make_unique<SettingsApp>();
    }
    void TearDown() override
    {
        AppMachineFixture::TearDown();
        app.reset();
    }

    // A window with its own bar, as every window of the application has.
    QMenuBar* windowWithBar()
    {
        scratch = std::make_unique<QWidget>();
        return MenuBar1::build(scratch.get());
    }

    static int visibleWindows()
    {
        int count = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            count += window->isVisible() && window->isWindow() ? 1 : 0;
        return count;
    }

    std::unique_ptr<SettingsApp> app;
    std::unique_ptr<QWidget> scratch;
};

TEST_F(SettingsAppTest, TheBarHoldsEveryMenuAndItemInOrder)
{
    struct Item {
        const char* name;  // "-" for a separator
        const char* text;
        QKeySequence shortcut;
        QAction::MenuRole role;
    };
    const auto separator = [](QAction::MenuRole role = QAction::NoRole) { return Item{"-", "", {}, role}; };
    const auto ctrl = [](int key) { return QKeySequence(Qt::CTRL | static_cast<Qt::Key>(key)); };
    const QList<QPair<const char*, QList<Item>>> expected = {
        // Where a platform with an application menu puts these items.
        {"ApplicationMenu",
         {{"AppleAboutNightfold", "About Nightfold", {}, QAction::AboutRole},
          separator(QAction::ApplicationSpecificRole),
          {"AppleEnableNightfold", "Turn Off Nightfold...", {}, QAction::ApplicationSpecificRole},
          separator(),
          {"EditPreferences", "Preferences...", ctrl(Qt::Key_Comma), QAction::PreferencesRole},
          separator(),
          {"FileQuit", "Quit", ctrl(Qt::Key_Q), QAction::QuitRole}}},
        {"User",
         {{"UserShowSettings", "Show Settings", ctrl(Qt::Key_1), QAction::NoRole},
          separator(),
          {"UserClearTodaySchedule", "Remove custom settings for today", {}, QAction::NoRole},
          separator(),
          {"UserShowUsers", "Show Users", ctrl(Qt::Key_U), QAction::NoRole}}},
        {"EditMenu",
         {{"EditUndo", "Undo", ctrl(Qt::Key_Z), QAction::NoRole},
          separator(),
          {"EditCut", "Cut", ctrl(Qt::Key_X), QAction::NoRole},
          {"EditCopy", "Copy", ctrl(Qt::Key_C), QAction::NoRole},
          {"EditPaste", "Paste", ctrl(Qt::Key_V), QAction::NoRole},
          {"EditClear", "Clear", {}, QAction::NoRole},
          {"EditSelectAll", "Select All", ctrl(Qt::Key_A), QAction::NoRole}}},
        {"GoMenu",
         {{"GoQuillmarshWebsite", "Quillmarsh Web site", {}, QAction::NoRole},
          {"GoContactTechnicalSupport", "Contact Technical Support", {}, QAction::NoRole}}},
        {"HelpMenu",
         {{"HelpNightfoldHelp", "Nightfold Help", {}, QAction::NoRole},
          {"HelpContactTechnicalSupport", "Contact Technical Support", {}, QAction::NoRole},
          separator()}},
    };
    Globals::agentInstalled = true;  // the defined text stands
    QMenuBar* bar = windowWithBar();
    const QList<QAction*> menus = bar->actions();
    ASSERT_EQ(menus.size(), expected.size());
    for (int m = 0; m < expected.size(); ++m) {
        const auto& [menuName, items] = expected[m];
        SCOPED_TRACE(menuName);
        QMenu* menu = menus[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu, MenuBar1::menu(bar, menuName));
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), items.size());
        for (int i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(i);
            const Item& item = items[i];
            if (QLatin1String(item.name) == QLatin1String("-")) {
                EXPECT_TRUE(actions[i]->isSeparator());
            } else {
                EXPECT_EQ(actions[i], MenuBar1::item(bar, item.name));
                EXPECT_EQ(actions[i]->text(), item.text);
                EXPECT_EQ(actions[i]->shortcut(), item.shortcut);
            }
            EXPECT_EQ(actions[i]->menuRole(), item.role);
        }
    }
    EXPECT_EQ(MenuBar1::menu(bar, "EditMenu")->title(), "&Edit");
    EXPECT_EQ(MenuBar1::menu(bar, "ApplicationMenu")->title(), "Nightfold");
}

TEST_F(SettingsAppTest, LaunchShowsOneWindowAndTheMenusFollowTheAgent)
{
    struct Case {
        const char* name;
        Agent agent;
        bool mainWindow;
        const char* toggleText;
    };
    const Case cases[] = {
        {"missing", Agent::Missing, false, "Turn On Nightfold..."},
        {"outdated", Agent::Outdated, false, "Turn On Nightfold..."},
        {"current", Agent::Current, true, "Turn Off Nightfold..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        closeAllWindows();
        QDir(SystemPaths::resolve(SystemPaths::installedFolder)).removeRecursively();
        prepareAgent(c.agent);

        app->Open();

        EXPECT_EQ(Globals::agentInstalled, c.mainWindow);
        EXPECT_EQ(visibleWindows(), 1);
        EXPECT_EQ(MainWin::existing() && MainWin::existing()->isVisible(), c.mainWindow);
        EXPECT_EQ(EnablerWindow::existing() && EnablerWindow::existing()->isVisible(), !c.mainWindow);

        QMenuBar* bar = windowWithBar();
        // The rules run as a menu is about to show.
        MenuBar1::item(bar, "AppleEnableNightfold")->setText(QString());
        emit MenuBar1::menu(bar, "User")->aboutToShow();
        EXPECT_EQ(MenuBar1::item(bar, "AppleEnableNightfold")->text(), c.toggleText);
        EXPECT_EQ(MenuBar1::item(bar, "UserShowSettings")->isEnabled(), c.mainWindow);
        EXPECT_EQ(MenuBar1::item(bar, "EditPreferences")->isEnabled(), c.mainWindow);
        for (const char* alwaysOn : {"AppleEnableNightfold", "AppleAboutNightfold", "GoQuillmarshWebsite", "GoContactTechnicalSupport"})
            EXPECT_TRUE(MenuBar1::item(bar, alwaysOn)->isEnabled()) << alwaysOn;
        // Items only the main window enables stay off elsewhere.
        EXPECT_FALSE(MenuBar1::item(bar, "UserShowUsers")->isEnabled());
        EXPECT_FALSE(MenuBar1::item(bar, "UserClearTodaySchedule")->isEnabled());
    }
}

TEST_F(SettingsAppTest, AShortcutFollowsTheRulesOfItsMenu)
{
    QMenuBar* bar = windowWithBar();
    scratch->show();
    scratch->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(scratch.get()));

    // The bar was brought up to date with the agent missing; it is now there.
    QTest::keyClick(scratch.get(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(MainWin::existing(), nullptr);
    Globals::agentInstalled = true;
    QTest::keyClick(scratch.get(), Qt::Key_1, Qt::ControlModifier);
    ASSERT_NE(MainWin::existing(), nullptr);
    EXPECT_TRUE(MainWin::existing()->isVisible());
    EXPECT_EQ(MenuBar1::item(bar, "AppleEnableNightfold")->text(), "Turn Off Nightfold...");
}

TEST_F(SettingsAppTest, OpenReadsTheSettingsMarksAdministratorsAndRecordsWhereTheApplicationIs)
{
    QMenuBar* earlier = windowWithBar();
    EXPECT_TRUE(MenuBar1::menu(earlier, "HelpMenu")->menuAction()->isVisible());

    app->Open();

    ASSERT_EQ(Globals::userCount(), 2);
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(Globals::Users[i]->isAdmin, Globals::Users[i]->Name == "alice") << Globals::Users[i]->Name.toStdString();
    EXPECT_EQ(EasyPrefs::GetPrefFolderItem("appLocation", std::nullopt), QCoreApplication::applicationFilePath());
    EXPECT_TRUE(QGuiApplication::quitOnLastWindowClosed());
    // The help menu is hidden in every bar, those built before and after.
    EXPECT_FALSE(MenuBar1::menu(earlier, "HelpMenu")->menuAction()->isVisible());
    EXPECT_FALSE(MenuBar1::menu(EnablerWindow::existing()->menuBar(), "HelpMenu")->menuAction()->isVisible());
}

TEST_F(SettingsAppTest, ShowSettingsReusesTheOneMainWindow)
{
    prepareAgent(Agent::Current);
    app->Open();
    MainWin* first = MainWin::existing();
    ASSERT_NE(first, nullptr);

    QMenuBar* bar = windowWithBar();
    MenuBar1::item(bar, "UserShowSettings")->trigger();
    MenuBar1::item(bar, "UserShowSettings")->trigger();
    EXPECT_EQ(MainWin::existing(), first);
    EXPECT_TRUE(first->isVisible());
    int mainWindows = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        mainWindows += qobject_cast<MainWin*>(window) ? 1 : 0;
    EXPECT_EQ(mainWindows, 1);
}

TEST_F(SettingsAppTest, MenuItemsOpenTheirWindowsAndAddresses)
{
    UrlCatcher browser;
    QMenuBar* bar = windowWithBar();
    const auto visible = [](QWidget* window) { return window && window->isVisible(); };
    Globals::agentInstalled = true;
    MenuBar1::update(bar);

    MenuBar1::item(bar, "EditPreferences")->trigger();
    EXPECT_TRUE(visible(PrefsWin::existing()));
    MenuBar1::item(bar, "AppleEnableNightfold")->trigger();
    EXPECT_TRUE(visible(EnablerWindow::existing()));
    MenuBar1::item(bar, "AppleAboutNightfold")->trigger();
    EXPECT_TRUE(visible(AboutWin::instance()));

    MenuBar1::item(bar, "GoQuillmarshWebsite")->trigger();
    MenuBar1::item(bar, "GoContactTechnicalSupport")->trigger();
    EXPECT_EQ(browser.opened, (QList<QUrl>{SettingsApp::websiteAddress(), SettingsApp::supportAddress()}));
    AboutWin::instance()->close();
}

TEST_F(SettingsAppTest, HelpOpensTheBookBesideTheApplicationOrReportsQuietly)
{
    UrlCatcher browser;
    QStringList reported;
    App::setDebugLogWriter([&](const QString& message) { reported.append(message); });
    const QString help = applicationFolder + "/Help";

    // No help folder: nothing to register, nothing to open.
    HelpRunner::RegisterHelpMachO();
    app->HelpNightfoldHelp_Action();
    EXPECT_EQ(reported, QStringList{"Unable to locate the help files."});

    QDir().mkpath(help);
    reported.clear();
    HelpRunner::RegisterHelpMachO();
    EXPECT_EQ(reported, QStringList{"Help was not successfully registered (OS error -43)."});

    writeFile(help + "/index.html", "<html></html>");
    writeFile(help + "/rules.html", "<html></html>");
    reported.clear();
    HelpRunner::RegisterHelpMachO();
    app->HelpNightfoldHelp_Action();
    HelpRunner::OpenHelpMachO("rules.html", "limits");
    HelpRunner::OpenHelpMachO("../../outside.html", QString());
    EXPECT_EQ(reported, QStringList{"Unable to locate the help files."});
    QUrl rules = QUrl::fromLocalFile(help + "/rules.html");
    rules.setFragment("limits");
    EXPECT_EQ(browser.opened, (QList<QUrl>{QUrl::fromLocalFile(help + "/index.html"), rules}));

    Methods::setApplicationFolder(root.path() + "/nowhere");
    reported.clear();
    HelpRunner::RegisterHelpMachO();
    EXPECT_EQ(reported, QStringList{"Help was not successfully registered."});
    App::setDebugLogWriter({});
}

TEST_F(SettingsAppTest, AnErrorNoHandlerCaughtIsLoggedAndTheProgramGoesOn)
{
    const auto fail = []() -> bool { throw RuntimeError(RuntimeError::Kind::NilObject); };
    EXPECT_FALSE(NightfoldApplication::deliverGuarded(fail));
    EXPECT_TRUE(app->UnhandledException(std::make_exception_ptr(RuntimeError(RuntimeError::Kind::OutOfBounds))));

    ASSERT_NE(ErrorAndLoggingGlobals::applicationLog(), nullptr);
    QStringList messages;
    for (const auto& entry : ErrorAndLoggingGlobals::applicationLog()->entries())
        messages.append(entry->getMessage());
    EXPECT_EQ(messages, (QStringList{"There was a nilobject error in untrapped location .",
                                     "There was a outofbounds error in untrapped location ."}));
    EXPECT_TRUE(NightfoldApplication::deliverGuarded([] { return true; }));
}

TEST_F(SettingsAppTest, TheApplicationIsTheSettingsProgramWithItsOwnDebugLogAndVersion)
{
    EXPECT_EQ(SettingsApp::current(), app.get());
    EXPECT_EQ(Methods::program(), Methods::Program::SettingsApplication);
    // The version the program was built as.
    EXPECT_FALSE(QCoreApplication::applicationVersion().isEmpty());
    EXPECT_EQ(VersionStatic::versionText(QCoreApplication::applicationVersion()), VersionStatic::versionText(QString()));
    App::DebugLog("dropped");
    EXPECT_TRUE(debugLog.isEmpty());

    FileTypes::registerTypes();
    ASSERT_EQ(FileTypes::registered().size(), 2);
    EXPECT_EQ(FileTypes::find("PREF").name, QString());  // a type code is no name
    EXPECT_EQ(FileTypes::find("text").creator, "R*ch");
    EXPECT_EQ(FileTypes::find("text").type, "TEXT");
    EXPECT_EQ(FileTypes::find("Prefs").creator, "NfLd");
    EXPECT_EQ(FileTypes::find("prefs").type, "PREF");
}

TEST_F(SettingsAppTest, ClosingTheLastWindowQuitsAndDropsTheRights)
{
    ASSERT_TRUE(Methods::Authorize());
    app->Open();
    ASSERT_EQ(visibleWindows(), 1);

    QTimer::singleShot(0, [] { EnablerWindow::existing()->close(); });
    // Only a safeguard: the close ends the loop at once.
    QTimer safeguard;
    safeguard.setSingleShot(true);
    QObject::connect(&safeguard, &QTimer::timeout, [] {
        ADD_FAILURE() << "the program did not quit";
        QCoreApplication::exit(1);
    });
    safeguard.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0);

    EXPECT_EQ(Globals::savedAuthorization, 0);
    EXPECT_EQ(machine.authorization().heldReferences(), 0);
}
}  // namespace

#include "SettingsAppTest.moc"
