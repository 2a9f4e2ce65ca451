// Values users control (picture paths, full names, application names, account
// names) reach commands that run as root. The machine parses every line the
// way sh would and lists any it would have expanded or split as unknown, which
// the fixture's tear-down refuses.
#include "ScenarioFixture.h"

#include "Clock.h"
#include "StringStuff.h"

#include <QDirIterator>

namespace {
const QString kPicture = QStringLiteral("/Users/dave/$(touch pwned);\"a\"`b`.tif");
const QString kFullName = QStringLiteral("Dave \"Danger\" $(id) `whoami` \\");

bool anyFileNamed(const QString& folder, const QString& name)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (it.nextFileInfo().fileName().contains(name))
            return true;
    }
    return false;
}
}  // namespace

using HostileValues = ScenarioFixture;

TEST_F(HostileValues, PictureAndFullNameReachTheShellOnlyQuotedAndArriveExactly)
{
    setUpMachine([](SimulatedMachine& m) { m.addAccount(QStringLiteral("dave"), kFullName, QStringLiteral("/bin/bash"), kPicture); });
    writeSettings({{QStringLiteral("dave"), eveningRules()}});

    SimulatedPass::Outcome night = passAt(evening(21, 0));
    EXPECT_EQ(recordValue(QStringLiteral("dave"), QStringLiteral("old_picture")), kPicture.toStdString());
    EXPECT_TRUE(machine.isLocked(QStringLiteral("dave")));
    const SimulatedPass::Outcome restored = passAt(morning(7, 0));
    EXPECT_EQ(recordValue(QStringLiteral("dave"), QStringLiteral("picture")), kPicture.toStdString());
    EXPECT_FALSE(machine.isLocked(QStringLiteral("dave")));

    night.commands += restored.commands;
    night.logLines += restored.logLines;
    const QString quotedPicture = StringStuff::Quote(kPicture);
    EXPECT_EQ(matching(night.commands, quotedPicture),
              (Lines{("niutil -createprop . /users/dave old_picture " + quotedPicture).toStdString(),
                     ("niutil -createprop . /users/dave picture " + quotedPicture).toStdString()}));
    for (const QString& command : night.commands) {
        const QString outsideQuotes = QString(command).remove(quotedPicture);
        EXPECT_FALSE(outsideQuotes.contains(QStringLiteral("pwned")) || outsideQuotes.contains(QStringLiteral("Danger")))
            << command.toStdString();
    }
    // The full name only reaches the log, quoted the same way.
    EXPECT_EQ(logMessages(night), (Lines{"21:00:00 Resetting time for \"dave\"...",
                                         ("21:00:00 Locking user " + StringStuff::Quote(kFullName) + "...").toStdString(),
                                         "07:00:00 Resetting time for \"dave\"...",
                                         ("07:00:00 Restoring user " + StringStuff::Quote(kFullName) + "...").toStdString()}));
    EXPECT_FALSE(anyFileNamed(root.path(), QStringLiteral("pwned")));
}

// The application in front names itself; closing it must not run its name.
TEST_F(HostileValues, FrontApplicationNameIsClosedByItsExactName)
{
    const QString application = QStringLiteral("Evil \"$(reboot)\" `halt`");
    setUpMachine([&](SimulatedMachine& m) {
        m.addAccount(QStringLiteral("dave"), QStringLiteral("Dave"));
        m.logIn(QStringLiteral("dave"));
        m.setFrontApplication(QStringLiteral("dave"), application);
        m.ignoreNextSuspends(1);
    });
    writeSettings({{QStringLiteral("dave"), eveningRules(QStringLiteral("Switch Out"))}});

    const SimulatedPass::Outcome out = passAt(evening(21, 0));
    EXPECT_EQ(matching(out.commands, QStringLiteral("killall")),
              (Lines{"killall -u dave Nightfold", ("killall -u dave " + StringStuff::Quote(application)).toStdString()}));
    EXPECT_EQ(eventLines(out), (Lines{"21:00:00 account locked: dave", ("21:00:05 application closed: " + application + " (dave)").toStdString(),
                                      "21:00:05 user switched out: dave"}));
    EXPECT_EQ(machine.power(), PowerState::Awake);
}

// Names that are no account names a system would make: listed by the
// directory, never managed, never put on a command line.
TEST_F(HostileValues, AccountsWithUnsafeShortNamesAreNeverManaged)
{
    const QStringList hostile{QStringLiteral("bob; rm -rf /"), QStringLiteral("$(id)"), QStringLiteral("a b")};
    setUpMachine([&](SimulatedMachine& m) {
        for (const QString& name : hostile) {
            m.addAccount(name, name);
            m.logIn(name, false);
        }
        m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob"));
        m.logIn(QStringLiteral("bob"));
    });
    writeSettings({{QStringLiteral("bob"), eveningRules()}});

    SimulatedPass::Outcome night = runMinutes(evening(20, 59), evening(21, 1));
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 2}}));
    EXPECT_TRUE(machine.isLocked(QStringLiteral("bob")));
    for (const QString& name : hostile) {
        EXPECT_FALSE(machine.isLocked(name));
        EXPECT_TRUE(machine.isLoggedIn(name));
        EXPECT_EQ(matching(night.commands, name), Lines()) << name.toStdString();
        EXPECT_EQ(matching(night.logLines, name), Lines()) << name.toStdString();
    }
    // The directory did list them to the agent.
    for (const CommandLogEntry& entry : machine.commandLog()) {
        if (entry.line == QLatin1String("niutil -list . /users")) {
            for (const QString& name : hostile)
                EXPECT_TRUE(entry.output.contains(name)) << name.toStdString();
        }
    }
    EXPECT_EQ(eventLines(night), (Lines{"21:00:00 account locked: bob", "21:00:00 user logged out: bob", "21:01:00 machine asleep"}));
}
