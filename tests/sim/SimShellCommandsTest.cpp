#include "SimMachineFixture.h"

#include "StringStuff.h"
#include "SystemPaths.h"

#include <functional>

namespace {
const QString cgsession = QStringLiteral("/System/Library/CoreServices/Menu Extras/User.menu/Contents/Resources/CGSession");
const QString logOutLine = QStringLiteral("kill `ps -axuc | awk '/loginw/{print $2, $1, $11}' | awk '$2 == \"%1\" {print $1}'`");
const QString usersThen = QStringLiteral("/usr/bin/users | /usr/bin/grep -qwF %1 && %2");

struct Row {
    const char* what;
    QString line;
    QString output;       // the whole answer, or with contains a part of it
    bool contains = false;
    std::function<void(SimulatedMachine&)> prepare = {};
    std::function<void(const SimulatedMachine&)> effect = {};
};

QString picture(const SimulatedMachine& m, const char* name) { return m.account(QLatin1String(name))->value(QStringLiteral("picture")); }
}  // namespace

using SimShellCommands = SimMachineFixture;

// Every line of the contract against a prepared machine: its answer and what
// it changed. Each row starts from a fresh machine.
TEST_F(SimShellCommands, AnswerEveryContractLineAndMakeItsChange)
{
    writeSystemFile(QStringLiteral("/tmp/tempcron"), "*\t*\t*\t*\t*\t/Library/StartupItems/NightfoldStartup/NightfoldAgent\n");
    writeSystemFile(QStringLiteral("/Library/Application Support/Nightfold/.keep"), "");
    const QList<Row> rows = {
        {"list", QStringLiteral("niutil -list . /users"),
         QStringLiteral("11      nobody\n12      root\n13      daemon\n14      unknown\n15      www\n16      alice\n17      bob\n18      carol\n")},
        {"read user", QStringLiteral("niutil -read . /users/bob"),
         QStringLiteral("authentication_authority: ;ShadowHash;\npicture: /Library/User Pictures/Animals/Eagle.tif\n_shadow_passwd:\nhint:\n"
                        "uid: 502\n"),
         true},
        {"read missing user", QStringLiteral("niutil -read . /users/zed"), QStringLiteral("niutil: can't open directory /users/zed: No such directory\n")},
        {"read admin group", QStringLiteral("niutil -read . /groups/admin"), QStringLiteral("name: admin\npasswd: *\ngid: 80\nusers: root alice\n")},
        {"save authority", QStringLiteral("niutil -createprop . /users/bob old_authority \";ShadowHash;\""), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(m.account(QStringLiteral("bob"))->value(QStringLiteral("old_authority")), QStringLiteral(";ShadowHash;"));
             EXPECT_TRUE(m.eventTexts().isEmpty());
         }},
        {"lock", QStringLiteral("niutil -destroyprop . /users/bob authentication_authority"), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_TRUE(m.isLocked(QStringLiteral("bob")));
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("account locked: bob")});
         }},
        {"restore", QStringLiteral("niutil -createprop . /users/bob authentication_authority \";ShadowHash;\""), QString(), false,
         [](SimulatedMachine& m) { m.state().findAccount(QStringLiteral("bob"))->record.remove(QStringLiteral("authentication_authority")); },
         [](const SimulatedMachine& m) {
             EXPECT_FALSE(m.isLocked(QStringLiteral("bob")));
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("account restored: bob")});
         }},
        {"stamp picture", QStringLiteral("niutil -createprop . /users/bob picture \"/Library/Application Support/Nightfold/User Pictures/bob\""),
         QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(picture(m, "bob"), QStringLiteral("/Library/Application Support/Nightfold/User Pictures/bob"));
         }},
        {"unstamp picture", QStringLiteral("niutil -destroyprop . /users/bob picture"), QString(), false, {},
         [](const SimulatedMachine& m) { EXPECT_FALSE(m.account(QStringLiteral("bob"))->has(QStringLiteral("picture"))); }},
        {"login owners", QStringLiteral("ps -auxcwww | awk '/loginwindow/{print $1}'"), QStringLiteral("alice\nbob\n")},
        {"front application path", QStringLiteral("/usr/bin/osascript -e 'return path to frontmost application as text'"),
         QStringLiteral("Macintosh HD:Applications:Safari.app:\n")},
        {"login window in front", QStringLiteral("/usr/bin/osascript -e 'return path to frontmost application as text'"),
         QStringLiteral("loginwindow"), true, [](SimulatedMachine& m) { m.showLoginWindow(); }},
        {"auth dialog in front", QStringLiteral("/usr/bin/osascript -e 'return path to frontmost application as text'"),
         QStringLiteral("SecurityAgent"), true, [](SimulatedMachine& m) { m.showAuthDialog(); }},
        {"no desktop answers", QStringLiteral("/usr/bin/osascript -e 'return path to frontmost application as text'"),
         QStringLiteral("execution error"), true, [](SimulatedMachine& m) { m.showNoDesktop(); }},
        {"front user", QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system attribute \"USER\"'"),
         QStringLiteral("bob\n")},
        {"front user without Finder", QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system attribute \"USER\"'"),
         QStringLiteral("execution error"), true, [](SimulatedMachine& m) { m.setFinderRunning(QStringLiteral("bob"), false); }},
        {"front application name",
         QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return name of first process whose frontmost is true and visible is true'"),
         QStringLiteral("Safari\n")},
        {"version", QStringLiteral("sw_vers"), QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.3.9\nBuildVersion:\t7W98\n")},
        {"who am i", QStringLiteral("who am i"), QStringLiteral("bob      console  Dec 11 12:00 \n")},
        {"log out", logOutLine.arg(QStringLiteral("bob")), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_FALSE(m.isLoggedIn(QStringLiteral("bob")));
             EXPECT_TRUE(m.isLoggedIn(QStringLiteral("alice")));
             EXPECT_EQ(m.front(), FrontKind::LoginWindow);
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("user logged out: bob")});
         }},
        {"log out in the background", logOutLine.arg(QStringLiteral("alice")), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_FALSE(m.isLoggedIn(QStringLiteral("alice")));
             EXPECT_EQ(m.frontUser(), QStringLiteral("bob"));
         }},
        {"switch out", QLatin1Char('"') + cgsession + QStringLiteral("\" -suspend"), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_TRUE(m.isLoggedIn(QStringLiteral("bob")));
             EXPECT_EQ(m.front(), FrontKind::LoginWindow);
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("user switched out: bob")});
         }},
        {"switch that does not take", QLatin1Char('"') + cgsession + QStringLiteral("\" -suspend"), QString(), false,
         [](SimulatedMachine& m) { m.ignoreNextSuspends(1); },
         [](const SimulatedMachine& m) { EXPECT_EQ(m.frontUser(), QStringLiteral("bob")); }},
        {"restart", usersThen.arg(QStringLiteral("bob"), QStringLiteral("/sbin/reboot")), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(m.power(), PowerState::Restarting);
             EXPECT_TRUE(m.state().logins.isEmpty());
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("machine restarting")});
         }},
        {"restart for a user without login", usersThen.arg(QStringLiteral("carol"), QStringLiteral("/sbin/reboot")), QString(), false, {},
         [](const SimulatedMachine& m) { EXPECT_EQ(m.power(), PowerState::Awake); }},
        {"shut down for a user", usersThen.arg(QStringLiteral("bob"), QStringLiteral("/sbin/shutdown -h +0")), QStringLiteral("Shutdown NOW!\n"),
         false, {}, [](const SimulatedMachine& m) { EXPECT_EQ(m.power(), PowerState::ShutDown); }},
        {"shut down", QStringLiteral("/sbin/shutdown -h +0"), QStringLiteral("Shutdown NOW!\n"), false, {},
         [](const SimulatedMachine& m) { EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("machine shut down")}); }},
        {"sleep", StringStuff::Quote(QStringLiteral("/Library/StartupItems/NightfoldStartup/DozeOff")), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(m.power(), PowerState::Asleep);
             EXPECT_EQ(m.state().logins.size(), 2);
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("machine asleep")});
         }},
        {"no sleep helper", QStringLiteral("/usr/bin/false"), QString(), false, {},
         [](const SimulatedMachine& m) { EXPECT_EQ(m.power(), PowerState::Awake); }},
        {"warning", QStringLiteral("/usr/bin/open /Library/StartupItems/NightfoldStartup/NightfoldWarning.app"), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("warning opened: bob")});
             ASSERT_EQ(m.state().openedApplications.size(), 1);
             EXPECT_EQ(m.state().openedApplications[0].path, SystemPaths::warningApplication);
         }},
        {"countdown", QStringLiteral("/usr/bin/open ") + StringStuff::Quote(QStringLiteral("/Applications/Nightfold Folder/Nightfold.app")),
         QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("countdown opened: bob")});
             EXPECT_TRUE(m.state().findLogin(QStringLiteral("bob"))->applications.contains(QStringLiteral("Nightfold")));
         }},
        {"close front application", QStringLiteral("killall -u bob \"Safari\""), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(m.state().findLogin(QStringLiteral("bob"))->frontApplication, QStringLiteral("Finder"));
             EXPECT_EQ(m.eventTexts(), QStringList{QStringLiteral("application closed: Safari (bob)")});
         }},
        {"close what is not running", QStringLiteral("killall -u bob Nightfold"), QStringLiteral("No matching processes belonging to you were found\n")},
        {"a Finder runs", QStringLiteral("(/bin/ps -axc | /usr/bin/grep Finder || echo \"yes\")"), QStringLiteral("Finder\n"), true},
        {"no Finder left", QStringLiteral("(/bin/ps -axc | /usr/bin/grep Finder || echo \"yes\")"), QStringLiteral("yes\n"), false,
         [](SimulatedMachine& m) {
             m.setFinderRunning(QStringLiteral("alice"), false);
             m.setFinderRunning(QStringLiteral("bob"), false);
         }},
        {"process list", QStringLiteral("ps -axww -o user,pid,command"),
         QStringLiteral("USER       PID COMMAND\nroot         1 /sbin/init\nroot         2 /sbin/mach_init\nroot        87 /usr/sbin/cron\n"
                        "root       400 /Library/StartupItems/NightfoldStartup/NightfoldAgent\n"),
         true},
        {"priority", QStringLiteral("renice -20 400"), QStringLiteral("400: old priority 0, new priority -20\n"), false, {},
         [](const SimulatedMachine& m) { EXPECT_EQ(m.state().processes.last().priority, -20); }},
        {"open the pictures folder", QStringLiteral("chmod -R 777 \"/Library/Application Support/Nightfold\""), QString(), false, {},
         [](const SimulatedMachine& m) { EXPECT_EQ(m.state().fileModes.value(SystemPaths::nightfoldSupportFolder), QStringLiteral("777")); }},
        {"switching tool present", QStringLiteral("file \"") + cgsession + QLatin1Char('"'), cgsession + QStringLiteral(": Mach-O executable ppc\n")},
        {"switching tool missing", QStringLiteral("file \"") + cgsession + QLatin1Char('"'), QStringLiteral("can't stat"), true,
         [](SimulatedMachine& m) { m.setCGSessionPresent(false); }},
        {"own crontab", QStringLiteral("crontab -l"), QStringLiteral("crontab: no crontab for bob\n")},
        {"root's crontab", QStringLiteral("crontab -u root -l"), QStringLiteral("# root\n"), false,
         [](SimulatedMachine& m) { m.setCrontab(QStringLiteral("root"), QStringLiteral("# root\n")); }},
        {"install root's crontab", QStringLiteral("crontab -u root \"/tmp/tempcron\""), QString(), false, {},
         [](const SimulatedMachine& m) {
             EXPECT_EQ(m.crontab(QStringLiteral("root")), QStringLiteral("*\t*\t*\t*\t*\t/Library/StartupItems/NightfoldStartup/NightfoldAgent\n"));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(SystemPaths::resolve(QStringLiteral("/var/cron/tabs/root")));
        SimulatedMachine m;
        prepare(m);
        if (row.prepare)
            row.prepare(m);
        m.install();
        const QString output = shell(row.line);
        if (row.contains)
            EXPECT_TRUE(output.contains(row.output)) << output.toStdString();
        else
            EXPECT_EQ(output.toStdString(), row.output.toStdString());
        if (row.effect)
            row.effect(m);
        EXPECT_EQ(m.unknownCommands(), QStringList());
        EXPECT_EQ(m.commandLines(), QStringList{row.line});
    }
}

// Names are matched whole and as ps and users print them: cut to 8 characters.
TEST_F(SimShellCommands, MatchLoginsByTheirWholeEightCharacterName)
{
    machine.addAccount(QStringLiteral("bobby"), QStringLiteral("Bobby"));
    machine.addAccount(QStringLiteral("administrator"), QStringLiteral("Admin"));
    machine.logIn(QStringLiteral("bobby"), false);
    machine.logIn(QStringLiteral("administrator"), false);
    EXPECT_EQ(shell(QStringLiteral("ps -auxcwww | awk '/loginwindow/{print $1}'")), QStringLiteral("alice\nbob\nbobby\nadminist\n"));

    shell(logOutLine.arg(QStringLiteral("administrator")));
    EXPECT_TRUE(machine.isLoggedIn(QStringLiteral("administrator")));
    shell(logOutLine.arg(QStringLiteral("administ")));
    EXPECT_FALSE(machine.isLoggedIn(QStringLiteral("administrator")));

    shell(logOutLine.arg(QStringLiteral("bob")));
    EXPECT_FALSE(machine.isLoggedIn(QStringLiteral("bob")));
    EXPECT_TRUE(machine.isLoggedIn(QStringLiteral("bobby")));

    // bob has gone; bobby's login must not restart the machine for him.
    shell(usersThen.arg(QStringLiteral("bob"), QStringLiteral("/sbin/reboot")));
    EXPECT_EQ(machine.power(), PowerState::Awake);
    // grep -w takes '.' as a word boundary, as the real one does.
    machine.addAccount(QStringLiteral("bob.b"), QStringLiteral("Bob B"));
    machine.logIn(QStringLiteral("bob.b"), false);
    shell(usersThen.arg(QStringLiteral("bob"), QStringLiteral("/sbin/reboot")));
    EXPECT_EQ(machine.power(), PowerState::Restarting);
    EXPECT_EQ(machine.unknownCommands(), QStringList());
}

// Values quoted with Quote reach the tool whole and unchanged; a value that
// is not quoted safely never does: sh would have expanded or split it.
TEST_F(SimShellCommands, HostileValuesArriveAsOneUnchangedValue)
{
    const QString hostile = QStringLiteral("/Users/bob/My \"pic\" $HOME `id` \\ ; | & $(rm -rf /) 'x'.tif");
    const QString createPicture = QStringLiteral("niutil -createprop . /users/bob picture ");
    EXPECT_EQ(shell(createPicture + StringStuff::Quote(hostile)), QString());
    EXPECT_EQ(machine.account(QStringLiteral("bob"))->value(QStringLiteral("picture")), hostile);
    EXPECT_EQ(shell(QStringLiteral("niutil -read . /users/bob")).count(hostile), 1);

    machine.setFrontApplication(QStringLiteral("bob"), hostile);
    EXPECT_EQ(shell(QStringLiteral("killall -u bob ") + StringStuff::Quote(hostile)), QString());
    EXPECT_FALSE(machine.state().findLogin(QStringLiteral("bob"))->applications.contains(hostile));
    shell(QStringLiteral("/usr/bin/open ") + StringStuff::Quote(hostile));
    EXPECT_EQ(machine.state().openedApplications.constLast().path, hostile);
    EXPECT_EQ(machine.unknownCommands(), QStringList());

    for (const QString& unsafe : {QLatin1Char('"') + hostile + QLatin1Char('"'), hostile, QStringLiteral("'a'b'")}) {
        SCOPED_TRACE(unsafe.toStdString());
        machine.clearLogs();
        shell(createPicture + unsafe);
        EXPECT_EQ(machine.unknownCommands().size(), 1);
        EXPECT_EQ(machine.account(QStringLiteral("bob"))->value(QStringLiteral("picture")), hostile);
    }
}

TEST_F(SimShellCommands, UnknownLinesAnswerAsShAndAreRecorded)
{
    const QStringList lines = {
        QStringLiteral("rm -rf /"),
        // The old substring matching of names is no longer part of the contract.
        QStringLiteral("/usr/bin/users | /usr/bin/grep -q bob && /sbin/reboot"),
        QStringLiteral("kill `ps -axuc | awk '/loginw/{print $2, $1, $11}' | awk '/bob/{print $1}'`"),
        QStringLiteral("niutil -list . /groups"),
        QStringLiteral("killall Safari"),
        QStringLiteral("sw_vers; reboot"),
    };
    for (const QString& line : lines)
        EXPECT_EQ(shell(line), QStringLiteral("sh: 1: %1: not found\n").arg(line.section(QLatin1Char(' '), 0, 0)));
    EXPECT_EQ(machine.unknownCommands(), lines);
    EXPECT_EQ(machine.power(), PowerState::Awake);
    EXPECT_TRUE(machine.isLoggedIn(QStringLiteral("bob")));
}

TEST_F(SimShellCommands, OlderSystemsLockThroughThePasswordAndCannotSwitch)
{
    SimulatedMachine older;
    older.setOsVersion(QStringLiteral("10.2"));
    older.addAccount(QStringLiteral("dave"), QStringLiteral("Dave"));
    older.logIn(QStringLiteral("dave"));
    older.install();
    EXPECT_FALSE(older.account(QStringLiteral("dave"))->has(QStringLiteral("authentication_authority")));
    EXPECT_TRUE(shell(QStringLiteral("sw_vers")).contains(QStringLiteral("10.2.8")));

    shell(QStringLiteral("niutil -createprop . /users/dave old_passwd \"abcdEFGH1234\""));
    shell(QStringLiteral("niutil -createprop . /users/dave passwd \"uauudt_lmk\""));
    EXPECT_TRUE(older.isLocked(QStringLiteral("dave")));
    shell(QStringLiteral("niutil -createprop . /users/dave passwd \"abcdEFGH1234\""));
    EXPECT_FALSE(older.isLocked(QStringLiteral("dave")));
    EXPECT_EQ(older.eventTexts(), (QStringList{QStringLiteral("account locked: dave"), QStringLiteral("account restored: dave")}));

    EXPECT_TRUE(shell(QLatin1Char('"') + cgsession + QStringLiteral("\" -suspend")).contains(QStringLiteral("not found")));
    EXPECT_EQ(older.frontUser(), QStringLiteral("dave"));
    EXPECT_EQ(older.unknownCommands(), QStringList());
}

TEST_F(SimShellCommands, CommandsWhileAsleepStillAnswerAndAreMarked)
{
    shell(QStringLiteral("\"/Library/StartupItems/NightfoldStartup/DozeOff\""));
    EXPECT_FALSE(shell(QStringLiteral("sw_vers")).isEmpty());
    ASSERT_EQ(machine.commandLog().size(), 2);
    EXPECT_EQ(machine.commandLog()[0].power, PowerState::Awake);
    EXPECT_EQ(machine.commandLog()[1].power, PowerState::Asleep);
    machine.wake();
    EXPECT_EQ(machine.power(), PowerState::Awake);
}
