// Whole evenings on the simulated machine: the real agent pass, one a minute,
// against the machine's accounts, logins and power.
#include "ScenarioFixture.h"

#include "Clock.h"

#include <QElapsedTimer>
#include <QImage>

namespace {
const std::string kStampedPicture = "/Library/Application Support/Nightfold/User Pictures/bob";
const std::string kSuspend = "\"/System/Library/CoreServices/Menu Extras/User.menu/Contents/Resources/CGSession\" -suspend";

std::string ownPicture() { return SimulatedMachine::defaultPicture.toStdString(); }

void logInBob(SimulatedMachine& m)
{
    m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith"));
    m.logIn(QStringLiteral("bob"));
    m.setFrontApplication(QStringLiteral("bob"), QStringLiteral("Safari"));
}
}  // namespace

using EveningScenario = ScenarioFixture;

TEST_F(EveningScenario, WarnedCountedDownLockedLoggedOutAsleepAndRestoredInTheMorning)
{
    setUpMachine(logInBob);
    writeSettings({{QStringLiteral("bob"), eveningRules()}});

    SimulatedPass::Outcome night = runMinutes(evening(20, 40), evening(21, 0));
    EXPECT_FALSE(machine.isLoggedIn(QStringLiteral("bob")));
    EXPECT_FALSE(hasRecordValue(QStringLiteral("bob"), QStringLiteral("authentication_authority")));
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("old_authority")), ";ShadowHash;");
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("picture")), kStampedPicture);
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("old_picture")), ownPicture());
    const QImage stamped(root.filePath(QString::fromStdString(kStampedPicture).mid(1)), "JPEG");
    EXPECT_EQ(stamped.size(), QSize(48, 48));
    EXPECT_TRUE(justLoggedOut());
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 21}}));  // 20:40 to 21:00, each pass one minute

    const SimulatedPass::Outcome morningPasses = runMinutes(evening(21, 1), morning(7, 5), morning(6, 30));
    night.logLines += morningPasses.logLines;
    night.events += morningPasses.events;
    EXPECT_EQ(logMessages(night), (Lines{
                                      "20:40:00 Resetting time for \"bob\"...",
                                      "20:45:00 Warning displayed for \"bob\"",
                                      "20:58:00 Displaying Countdown for \"bob\"...",
                                      "21:00:00 Locking user \"Bob Smith\"...",
                                      "21:00:00 Logging out user \"bob\"...",
                                      "21:01:00 Going to sleep...",
                                      "06:30:00 Resetting time for \"bob\"...",
                                      "07:00:00 Restoring user \"Bob Smith\"...",
                                  }));
    EXPECT_EQ(eventLines(night), (Lines{
                                     "20:45:00 warning opened: bob",
                                     "20:58:00 countdown opened: bob",
                                     "21:00:00 account locked: bob",
                                     "21:00:00 user logged out: bob",
                                     "21:01:00 machine asleep",
                                     "07:00:00 account restored: bob",
                                 }));
    // Asleep, the machine ran nothing: cron starts no pass.
    for (const CommandLogEntry& entry : machine.commandLog()) {
        EXPECT_EQ(entry.power, PowerState::Awake) << entry.line.toStdString();
        EXPECT_TRUE(entry.at <= evening(21, 1) || entry.at >= morning(6, 30)) << entry.line.toStdString();
    }
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("authentication_authority")), ";ShadowHash;");
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("picture")), ownPicture());
    EXPECT_FALSE(justLoggedOut());
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 0}}));  // a new day, nobody at the machine
}

// The suspend does not take at first: after the 5-second wait (on the clock,
// never in real time) the front application is closed and the suspend repeated.
TEST_F(EveningScenario, SwitchOutThatDoesNotTakeClosesTheFrontApplicationAndSuspendsOnceMore)
{
    setUpMachine(logInBob);
    writeSettings({{QStringLiteral("bob"), eveningRules(QStringLiteral("Switch Out"))}});
    runMinutes(evening(20, 58), evening(20, 59));  // the countdown opens the settings application
    machine.ignoreNextSuspends(1);

    QElapsedTimer wallClock;
    wallClock.start();
    const SimulatedPass::Outcome atNine = passAt(evening(21, 0));
    EXPECT_LT(wallClock.elapsed(), 4000);

    EXPECT_EQ(logMessages(atNine), (Lines{
                                       "21:00:00 Locking user \"Bob Smith\"...",
                                       "21:00:00 Switching out user \"bob\"...",
                                       "21:00:05 Killing frontmost application for \"Bob Smith\"",
                                   }));
    EXPECT_EQ(eventLines(atNine), (Lines{
                                      "21:00:00 account locked: bob",
                                      "21:00:00 application closed: Nightfold (bob)",
                                      "21:00:05 application closed: Safari (bob)",
                                      "21:00:05 user switched out: bob",
                                  }));
    EXPECT_EQ(matching(atNine.commands, QStringLiteral("CGSession")), (Lines{kSuspend, kSuspend}));
    EXPECT_EQ(matching(atNine.commands, QStringLiteral("killall")),
              (Lines{"killall -u bob Nightfold", "killall -u bob \"Safari\""}));
    EXPECT_TRUE(machine.isLoggedIn(QStringLiteral("bob")));
    EXPECT_EQ(machine.front(), FrontKind::LoginWindow);
    EXPECT_TRUE(justLoggedOut());

    // Bob's login stays in the background, so the machine sleeps; in the morning he is let in again.
    const SimulatedPass::Outcome later = runMinutes(evening(21, 1), morning(7, 0), morning(6, 30));
    EXPECT_EQ(eventLines(later), (Lines{"21:01:00 machine asleep", "07:00:00 account restored: bob"}));
    EXPECT_TRUE(machine.isLoggedIn(QStringLiteral("bob")));
    EXPECT_FALSE(justLoggedOut());
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 0}}));
}

// 10.2: no fast user switching. The password is replaced, and every login
// counts as at the machine, in front or not.
TEST_F(EveningScenario, OlderSystemLocksThroughThePasswordAndCreditsEveryLogin)
{
    setUpMachine(
        [](SimulatedMachine& m) {
            logInBob(m);
            m.addAccount(QStringLiteral("carol"), QStringLiteral("Carol"));
            m.logIn(QStringLiteral("carol"), false);
        },
        QStringLiteral("10.2"));
    const std::string password = recordValue(QStringLiteral("bob"), QStringLiteral("passwd"));
    writeSettings({{QStringLiteral("bob"), eveningRules()}});

    const SimulatedPass::Outcome night = runMinutes(evening(20, 59), evening(21, 1));
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("passwd")), "uauudt_lmk");
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("old_passwd")), password);
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("picture")), kStampedPicture);
    EXPECT_EQ(settingsFile().activeMinutes,
              (std::map<std::string, int>{{"bob", 2}, {"carol", 3}}));  // bob until his log-out, carol every pass
    EXPECT_EQ(logMessages(night), (Lines{
                                      "20:59:00 Resetting time for \"bob\"...",
                                      "20:59:00 Resetting time for \"carol\"...",
                                      "21:00:00 Locking user \"Bob Smith\"...",
                                      "21:00:00 Logging out user \"bob\"...",
                                      "21:01:00 Going to sleep...",
                                  }));
    EXPECT_EQ(eventLines(night), (Lines{"21:00:00 account locked: bob", "21:00:00 user logged out: bob",
                                              "21:01:00 machine asleep"}));

    const SimulatedPass::Outcome restored = runMinutes(morning(7, 0), morning(7, 0), morning(7, 0));
    EXPECT_EQ(eventLines(restored), Lines{"07:00:00 account restored: bob"});
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("passwd")), password);
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("picture")), ownPicture());
}

// 1.5 hours a day and no time rule, passes minute by minute from the first:
// warned with 15 minutes left, counted down with 2, locked in the pass that
// reaches 90 minutes; let in again on the first pass of the next day.
TEST_F(EveningScenario, DailyLimitWarnsCountsDownAndLocksAtTheLimit)
{
    setUpMachine(logInBob);
    writeSettings({{QStringLiteral("bob"), Rules{std::nullopt, std::nullopt, 1.5}}}, {}, evening(14, 0));

    SimulatedPass::Outcome day = runMinutes(evening(15, 0), evening(16, 30));
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 90}}));
    const SimulatedPass::Outcome nextDay = runMinutes(morning(6, 30), morning(6, 30), morning(6, 30));
    day.logLines += nextDay.logLines;
    day.events += nextDay.events;
    EXPECT_EQ(logMessages(day), (Lines{
                                    "15:00:00 Resetting time for \"bob\"...",
                                    "16:14:00 Warning displayed for \"bob\"",  // the 75th minute
                                    "16:27:00 Displaying Countdown for \"bob\"...",  // the 88th
                                    "16:29:00 Locking user \"Bob Smith\"...",  // the 90th
                                    "16:29:00 Logging out user \"bob\"...",
                                    "16:30:00 Going to sleep...",
                                    "06:30:00 Resetting time for \"bob\"...",
                                    "06:30:00 Restoring user \"Bob Smith\"...",
                                }));
    EXPECT_EQ(eventLines(day), (Lines{
                                   "16:14:00 warning opened: bob",
                                   "16:27:00 countdown opened: bob",
                                   "16:29:00 account locked: bob",
                                   "16:29:00 user logged out: bob",
                                   "16:30:00 machine asleep",
                                   "06:30:00 account restored: bob",
                               }));
    EXPECT_FALSE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 0}}));
}

// What happens on the pass after the log-out, by the preferences and by what
// is left running.
struct AfterLogOutCase {
    const char* name;
    bool shutdownOnLogOut;
    bool sleepOnLogOut;
    bool otherLoginInBackground;
    Lines messages;  // logged at 21:01
    Lines commands;  // the power commands run at 21:01
    PowerState power;
};

class AfterLogOut : public ScenarioFixture, public ::testing::WithParamInterface<AfterLogOutCase> {};

TEST_P(AfterLogOut, ShutsDownOnlyWhenNoLoginIsLeft)
{
    const AfterLogOutCase& c = GetParam();
    setUpMachine([&](SimulatedMachine& m) {
        logInBob(m);
        if (c.otherLoginInBackground) {
            m.addAccount(QStringLiteral("carol"), QStringLiteral("Carol"));
            m.logIn(QStringLiteral("carol"), false);
        }
    });
    writeSettings({{QStringLiteral("bob"), eveningRules()}},
                  {{QStringLiteral("shutdownOnLogOut"), c.shutdownOnLogOut}, {QStringLiteral("sleepOnLogOut"), c.sleepOnLogOut}});
    passAt(evening(21, 0));
    ASSERT_FALSE(machine.isLoggedIn(QStringLiteral("bob")));

    const SimulatedPass::Outcome after = passAt(evening(21, 1));
    EXPECT_EQ(logMessages(after), c.messages);
    Lines powerCommands = matching(after.commands, QStringLiteral("/sbin/shutdown"));
    for (const std::string& command : matching(after.commands, QStringLiteral("DozeOff")))
        powerCommands.push_back(command);
    EXPECT_EQ(powerCommands, c.commands);
    EXPECT_EQ(machine.power(), c.power);
    EXPECT_FALSE(justLoggedOut());
}

INSTANTIATE_TEST_SUITE_P(
    EveningScenario, AfterLogOut,
    ::testing::Values(
        AfterLogOutCase{"ShutdownPreferredNobodyLeft", true, false, false, {"21:01:00 Shutting down..."}, {"/sbin/shutdown -h +0"},
                        PowerState::ShutDown},
        AfterLogOutCase{"BothPreferredLoginLeft", true, true, true, {"21:01:00 Going to sleep..."},
                        {"\"/Library/StartupItems/NightfoldStartup/DozeOff\""}, PowerState::Asleep},
        // Shut down chosen, a login left: the login is kept and the machine stays on.
        AfterLogOutCase{"ShutdownPreferredLoginLeft", true, false, true, {}, {}, PowerState::Awake},
        AfterLogOutCase{"NeitherPreferred", false, false, false, {}, {}, PowerState::Awake}),
    [](const ::testing::TestParamInfo<AfterLogOutCase>& info) { return info.param.name; });

// The actions that act on the whole machine, taken when bob's time is up.
// Bob is still in front while the machine goes down, so the lock check of
// the same pass logs him out as well, and the next pass that runs (after the
// restart, after waking) finds the log-out and sleeps.
struct MachineWideCase {
    const char* action;
    Lines messages;
    Lines events;
    PowerState power;
};

class MachineWideAction : public ScenarioFixture, public ::testing::WithParamInterface<MachineWideCase> {};

TEST_P(MachineWideAction, IsTakenWhenTheAccountIsLocked)
{
    const MachineWideCase& c = GetParam();
    setUpMachine(logInBob);
    writeSettings({{QStringLiteral("bob"), eveningRules(QString::fromLatin1(c.action))}});
    passAt(evening(20, 59));
    const SimulatedPass::Outcome atNine = passAt(evening(21, 0));
    EXPECT_EQ(logMessages(atNine), c.messages);
    EXPECT_EQ(eventLines(atNine), c.events);
    EXPECT_EQ(machine.power(), c.power);
    EXPECT_FALSE(machine.isLoggedIn(QStringLiteral("bob")));
    EXPECT_TRUE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_TRUE(justLoggedOut());
}

INSTANTIATE_TEST_SUITE_P(
    EveningScenario, MachineWideAction,
    ::testing::Values(MachineWideCase{"Restart",
                                      {"21:00:00 Locking user \"Bob Smith\"...", "21:00:00 Logging out user \"bob\"..."},
                                      {"21:00:00 account locked: bob", "21:00:00 machine restarting"},
                                      PowerState::Restarting},
                      MachineWideCase{"Sleep",
                                      {"21:00:00 Locking user \"Bob Smith\"...", "21:00:00 Logging out user \"bob\"..."},
                                      {"21:00:00 account locked: bob", "21:00:00 machine asleep", "21:00:00 user logged out: bob"},
                                      PowerState::Asleep},
                      MachineWideCase{"Shutdown",
                                      {"21:00:00 Locking user \"Bob Smith\"...", "21:00:00 Shutting down...",
                                       "21:00:00 Logging out user \"bob\"..."},
                                      {"21:00:00 account locked: bob", "21:00:00 machine shut down"},
                                      PowerState::ShutDown}),
    [](const ::testing::TestParamInfo<MachineWideCase>& info) { return std::string(info.param.action); });

// Somebody at the machine on a locked account is logged out, whatever the
// day's action, and the record is left as it is.
class LockedUserAtTheMachine : public ScenarioFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(LockedUserAtTheMachine, IsLoggedOut)
{
    setUpMachine([](SimulatedMachine& m) { m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith")); });
    writeSettings({{QStringLiteral("bob"), eveningRules(QString::fromLatin1(GetParam()))}});
    const SimulatedPass::Outcome locked = passAt(evening(21, 0));
    EXPECT_EQ(logMessages(locked), (Lines{"21:00:00 Resetting time for \"bob\"...", "21:00:00 Locking user \"Bob Smith\"..."}));
    EXPECT_EQ(eventLines(locked), Lines{"21:00:00 account locked: bob"});  // nobody to act on
    ASSERT_TRUE(machine.isLocked(QStringLiteral("bob")));

    {
        TestClock clock(evening(21, 30));
        ScopedClock scoped(clock);
        machine.logIn(QStringLiteral("bob"));
    }
    const AccountRecord lockedRecord = *machine.account(QStringLiteral("bob"));
    const SimulatedPass::Outcome out = passAt(evening(21, 30));
    EXPECT_EQ(logMessages(out), Lines{"21:30:00 Logging out user \"bob\"..."});
    EXPECT_EQ(eventLines(out), Lines{"21:30:00 user logged out: bob"});
    EXPECT_EQ(*machine.account(QStringLiteral("bob")), lockedRecord);
    EXPECT_TRUE(justLoggedOut());
}

INSTANTIATE_TEST_SUITE_P(EveningScenario, LockedUserAtTheMachine, ::testing::Values("Log Out", "Switch Out"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return QString::fromLatin1(info.param).remove(QLatin1Char(' ')).toStdString();
                         });

// The administrator takes a locked user's rules away in the evening: the next
// pass lets the user in again, and that pass still raises its own priority
// although saving the settings stopped the agent that was running.
TEST_F(EveningScenario, UserWhoseRulesAreRemovedIsRestoredAtTheNextPass)
{
    setUpMachine([](SimulatedMachine& m) { m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith")); });
    writeSettings({{QStringLiteral("bob"), eveningRules()}});
    passAt(evening(21, 0));
    ASSERT_TRUE(machine.isLocked(QStringLiteral("bob")));

    writeSettings({{QStringLiteral("bob"), Rules{}}}, {}, evening(21, 5));
    const SimulatedPass::Outcome restored = passAt(evening(21, 10));
    EXPECT_EQ(logMessages(restored), Lines{"21:10:00 Restoring user \"Bob Smith\"..."});
    EXPECT_EQ(eventLines(restored), Lines{"21:10:00 account restored: bob"});
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("authentication_authority")), ";ShadowHash;");
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("picture")), ownPicture());
    EXPECT_FALSE(justLoggedOut());
    EXPECT_EQ(matching(restored.commands, QStringLiteral("renice")).size(), 1);
}
