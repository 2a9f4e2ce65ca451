#include "../sim/SimMachineFixture.h"

#include "EasyPrefs.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "PrefsWin.h"
#include "RuntimeError.h"
#include "Schedule.h"
#include "SettingsMethods.h"
#include "SystemPaths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <functional>

namespace {
// The application's privileged routines arrive with the application object;
// until then the cases that need them are skipped.
bool built(const std::function<void()>& routine)
{
    try {
        routine();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// The settings application on the machine, an administrator's rights held,
// the settings read: alice, bob and carol are the managed users.
class PrefsWinTest : public SimMachineFixture {
protected:
    void SetUp() override
    {
        SimMachineFixture::SetUp();
        Methods::setProgram(Methods::Program::SettingsApplication);
        Methods::ReadPrefs();
        ASSERT_EQ(Globals::userCount(), 3);
        Globals::savedAuthorization = machine.authorization().prompt();
    }

    void TearDown() override
    {
        if (PrefsWin* prefs = PrefsWin::existing()) {
            Globals::savedAuthorization = 0;  // closing would save
            prefs->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SimMachineFixture::TearDown();
    }

    static PrefsWin* openPrefs()
    {
        PrefsWin* prefs = PrefsWin::instance();
        prefs->show();
        return prefs;
    }

    static void closePrefs(PrefsWin* prefs)
    {
        prefs->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The application started again: what the settings file holds.
    void restart()
    {
        const qint64 rights = Globals::savedAuthorization;
        Globals::resetForNewProcess();
        Methods::ReadPrefs();
        Globals::savedAuthorization = rights;
    }

    static QStringList everyAction()
    {
        QStringList actions;
        for (int i = 1; i <= Globals::userCount(); ++i)
            for (const auto& schedule : {Globals::Users[i]->Today, Globals::Users[i]->Weekdays, Globals::Users[i]->Weekends})
                actions << (schedule ? schedule->Action : QStringLiteral("(none)"));
        return actions;
    }

    static void setEveryAction(const QString& action)
    {
        for (int i = 1; i <= Globals::userCount(); ++i)
            for (const auto& schedule : {Globals::Users[i]->Today, Globals::Users[i]->Weekdays, Globals::Users[i]->Weekends})
                schedule->Action = action;
    }

    static bool switchingKnown() { return built([] { Methods::canSwitchOut(); }); }
};

TEST_F(PrefsWinTest, AFreshStoreShowsEveryBoxCheckedAndSleep)
{
    PrefsWin* prefs = openPrefs();
    EXPECT_TRUE(prefs->isVisible());
    EXPECT_EQ(prefs->windowTitle(), "Preferences");
    EXPECT_EQ(PrefsWin::instance(), prefs);  // a second "Preferences..." finds the same window
    EXPECT_EQ(prefs->AfterMenu->currentText(), "Sleep");
    EXPECT_TRUE(prefs->warnBox->isChecked());
    EXPECT_TRUE(prefs->countBox->isChecked());
    EXPECT_TRUE(prefs->WeekendBox->isChecked());
    if (!switchingKnown())
        GTEST_SKIP() << "Methods::canSwitchOut is not built yet: the switching box stays unfilled";
    EXPECT_TRUE(prefs->SwitchBox->isChecked());
    EXPECT_TRUE(prefs->SwitchBox->isEnabled());
}

TEST_F(PrefsWinTest, AfterMenuShowsSleepBeforeShutDownAndReadsTheKeysInAnyCase)
{
    struct Case {
        const char* sleep;     // stored value of "sleepOnLogOut", nullptr: absent
        const char* shutdown;  // stored value of "shutdownOnLogOut"
        const char* shown;
    };
    const Case cases[] = {
        {"true", "true", "Sleep"},          {"true", nullptr, "Sleep"},    {nullptr, "false", "Sleep"},
        {"false", nullptr, "Shut down"},    {"false", "true", "Shut down"}, {"false", "false", "Leave Mac on"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sleep ? c.sleep : "-") + "/" + (c.shutdown ? c.shutdown : "-"));
        EasyPrefs::clear();
        // Stored the way the window writes them and the agent reads them.
        if (c.sleep)
            EasyPrefs::SetPrefString(QStringLiteral("sleepOnLogOut"), QLatin1String(c.sleep));
        if (c.shutdown)
            EasyPrefs::SetPrefString(QStringLiteral("SHUTDOWNONLOGOUT"), QLatin1String(c.shutdown));
        PrefsWin* prefs = openPrefs();
        EXPECT_EQ(prefs->AfterMenu->currentText(), c.shown);
        Globals::savedAuthorization = 0;  // close without saving
        closePrefs(prefs);
        Globals::savedAuthorization = machine.authorization().prompt();
    }
}

TEST_F(PrefsWinTest, ClosingSavesEveryChoiceAndTheSwitchingActionOfEverySchedule)
{
    if (!switchingKnown())
        GTEST_SKIP() << "Methods::canSwitchOut is not built yet: the window cannot finish opening";
    struct Case {
        bool switching;
        const char* action;
    };
    for (const Case& c : {Case{true, "Switch Out"}, Case{false, "Log Out"}}) {
        SCOPED_TRACE(c.action);
        setEveryAction(c.switching ? QStringLiteral("Log Out") : QStringLiteral("Switch Out"));
        PrefsWin* prefs = openPrefs();
        prefs->AfterMenu->setCurrentIndex(PrefsWin::LeaveMacOn);
        prefs->warnBox->setChecked(false);
        prefs->countBox->setChecked(true);
        prefs->WeekendBox->setChecked(false);
        prefs->SwitchBox->setChecked(c.switching);
        closePrefs(prefs);

        restart();
        EXPECT_FALSE(EasyPrefs::GetPrefBoolean(QStringLiteral("sleepOnLogOut"), true));
        EXPECT_FALSE(EasyPrefs::GetPrefBoolean(QStringLiteral("shutdownOnLogOut"), true));
        EXPECT_FALSE(EasyPrefs::GetPrefBoolean(QStringLiteral("showWarning"), true));
        EXPECT_TRUE(EasyPrefs::GetPrefBoolean(QStringLiteral("displayCountdown"), false));
        EXPECT_FALSE(EasyPrefs::GetPrefBoolean(QStringLiteral("realWeekends"), true));
        EXPECT_EQ(EasyPrefs::GetPrefBoolean(QStringLiteral("useSwitching"), !c.switching), c.switching);
        EXPECT_EQ(everyAction(), QStringList(9, QLatin1String(c.action)));

        prefs = openPrefs();
        EXPECT_EQ(prefs->AfterMenu->currentText(), "Leave Mac on");
        EXPECT_EQ(prefs->SwitchBox->isChecked(), c.switching);
        closePrefs(prefs);
    }
}

TEST_F(PrefsWinTest, WithoutTheSwitchingToolTheBoxIsOffAndEveryoneIsLoggedOut)
{
    if (!switchingKnown())
        GTEST_SKIP() << "Methods::canSwitchOut is not built yet";
    machine.setCGSessionPresent(false);
    EasyPrefs::SetPrefBoolean(QStringLiteral("useSwitching"), true);
    setEveryAction(QStringLiteral("Switch Out"));
    PrefsWin* prefs = openPrefs();
    EXPECT_FALSE(prefs->SwitchBox->isChecked());
    EXPECT_FALSE(prefs->SwitchBox->isEnabled());
    EXPECT_FALSE(prefs->switchStatic->isEnabled());
    closePrefs(prefs);
    EXPECT_FALSE(EasyPrefs::GetPrefBoolean(QStringLiteral("useSwitching"), true));
    EXPECT_EQ(everyAction(), QStringList(9, QStringLiteral("Log Out")));
}

TEST_F(PrefsWinTest, RightsGivenUpBeforeClosingSaveNothing)
{
    if (!switchingKnown())
        GTEST_SKIP() << "Methods::canSwitchOut is not built yet: the window cannot finish opening";
    for (const bool rightsHeld : {true, false}) {
        SCOPED_TRACE(rightsHeld ? "rights held" : "rights given up");
        QFile::remove(SystemPaths::resolve(SystemPaths::settingsFile));
        Globals::resetForNewProcess();
        Methods::ReadPrefs();
        Globals::savedAuthorization = machine.authorization().prompt();
        setEveryAction(QStringLiteral("Log Out"));
        PrefsWin* prefs = openPrefs();
        prefs->warnBox->setChecked(false);
        if (!rightsHeld)
            Globals::savedAuthorization = 0;  // the main window was locked meanwhile
        closePrefs(prefs);
        EXPECT_EQ(systemFileExists(SystemPaths::settingsFile), rightsHeld);
        EXPECT_EQ(EasyPrefs::GetPrefBoolean(QStringLiteral("showWarning"), true), !rightsHeld);
        EXPECT_EQ(everyAction().contains(QStringLiteral("Switch Out")), rightsHeld);
    }
}

TEST_F(PrefsWinTest, WithoutRightsOpeningAsksAndARefusalClosesTheWindowAtOnce)
{
    Globals::savedAuthorization = 0;
    machine.setPromptAnswer(PromptAnswer::Cancel);
    if (!built([] { Methods::Authorize(); }))
        GTEST_SKIP() << "Methods::Authorize is not built yet";
    ASSERT_EQ(Globals::savedAuthorization, 0);
    for (const PromptAnswer answer : {PromptAnswer::Cancel, PromptAnswer::Accept}) {
        const bool accepted = answer == PromptAnswer::Accept;
        SCOPED_TRACE(accepted ? "accepted" : "cancelled");
        machine.setPromptAnswer(answer);
        const int promptsBefore = machine.promptCount();
        const int prefsBefore = EasyPrefs::count();
        PrefsWin* prefs = openPrefs();
        EXPECT_EQ(machine.promptCount(), promptsBefore + 1);
        EXPECT_EQ(PrefsWin::existing() != nullptr, accepted);
        EXPECT_EQ(Globals::savedAuthorization != 0, accepted);
        if (accepted) {
            EXPECT_TRUE(prefs->isVisible());
            closePrefs(prefs);
        } else {
            EXPECT_EQ(EasyPrefs::count(), prefsBefore);
            EXPECT_FALSE(systemFileExists(SystemPaths::settingsFile));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
}  // namespace
