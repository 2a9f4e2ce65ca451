#include "AppMachineFixture.h"
#include "CoreFixture.h"
#include "Globals.h"
#include "NightfoldUser.h"
#include "SettingsMethods.h"

#include <QRegularExpression>

namespace {
const QString kAgentLine = QStringLiteral("*\t*\t*\t*\t*\t/Library/StartupItems/NightfoldStartup/NightfoldAgent\n");

const QStringList kInstallRuns = {
    "/usr/sbin/chown 0:0 /Library/StartupItems",
    "/usr/sbin/chmod 6550 /Library/StartupItems",
    "/bin/cp -Rf /Applications/Nightfold/NightfoldStartup /Library/StartupItems/NightfoldStartup",
    "/usr/sbin/chown -R 0:0 /Library/StartupItems/NightfoldStartup",
    "/usr/sbin/chmod -R 6550 /Library/StartupItems/NightfoldStartup",
    "/bin/cat /var/cron/tabs/root",
    "/bin/cp TEMP /var/cron/tabs/root",
    "/usr/bin/touch /var/cron/tabs/",
    "/usr/bin/killall NightfoldAgent",
    "/bin/cp -f TEMP /etc/nightfold.conf",
    "/Library/StartupItems/NightfoldStartup/NightfoldAgent",
};

const QStringList kRemoveRuns = {
    "/bin/cat /var/cron/tabs/root",
    "/bin/cp TEMP /var/cron/tabs/root",
    "/usr/bin/touch /var/cron/tabs/",
    "/bin/rm -f /etc/nightfold.conf",
    "/Library/StartupItems/NightfoldStartup/NightfoldAgent",
    "/bin/rm -f /etc/nightfold.conf",
    "/usr/bin/killall NightfoldAgent",
    "/bin/rm -R -f /Library/StartupItems/NightfoldStartup",
};

class PrivilegedMethodsTest : public AppMachineFixture {
protected:
    // The privileged runs with the temporary files' random names as TEMP.
    QStringList runs() const
    {
        static const QRegularExpression temporary(QStringLiteral("/tmp/\\S+"));
        QStringList runs = machine.privilegedRuns();
        for (QString& run : runs)
            run.replace(temporary, QStringLiteral("TEMP"));
        return runs;
    }

    // Holds the shared authorization, with the machine's logs cleared.
    void authorize()
    {
        ASSERT_TRUE(Methods::Authorize());
        machine.clearLogs();
    }
};

TEST_F(PrivilegedMethodsTest, AuthorizeAsksOnceAndKeepsTheAuthorization)
{
    EXPECT_TRUE(Methods::Authorize());
    EXPECT_NE(Globals::savedAuthorization, 0);
    EXPECT_EQ(machine.privilegedRuns(), QStringList{"/bin/echo Yeehaw!"});
    EXPECT_EQ(machine.promptCount(), 1);

    // A second authorization replaces the first, which is given up.
    const qint64 first = Globals::savedAuthorization;
    EXPECT_TRUE(Methods::Authorize());
    EXPECT_NE(Globals::savedAuthorization, first);
    EXPECT_FALSE(machine.authorization().isValid(first));
    EXPECT_EQ(machine.authorization().heldReferences(), 1);

    Methods::DropRights();
    EXPECT_EQ(Globals::savedAuthorization, 0);
    EXPECT_EQ(machine.authorization().heldReferences(), 0);
    Methods::DropRights();  // nothing held: nothing happens
    EXPECT_EQ(Globals::savedAuthorization, 0);
}

TEST_F(PrivilegedMethodsTest, CancelledAuthorizationRunsNothingAndHoldsNothing)
{
    machine.setPromptAnswer(PromptAnswer::Cancel);
    EXPECT_FALSE(Methods::Authorize());
    EXPECT_EQ(Globals::savedAuthorization, 0);
    EXPECT_TRUE(machine.privilegedRuns().isEmpty());
    EXPECT_EQ(machine.authorization().heldReferences(), 0);
}

TEST_F(PrivilegedMethodsTest, InstallCopiesTheAgentAddsTheCrontabLineWritesTheSettingsAndRunsTheAgent)
{
    Methods::installAgent();

    QStringList expected = kInstallRuns;
    expected.prepend("/bin/echo Yeehaw!");  // no authorization was held
    EXPECT_EQ(runs(), expected);
    EXPECT_EQ(machine.crontab("root"), kAgentLine);
    EXPECT_TRUE(systemFileExists(SystemPaths::settingsFile));
    EXPECT_EQ(readSystemFile(SystemPaths::installedAgent), "fresh agent");
    EXPECT_EQ(agentRuns, 1);
    EXPECT_EQ(machine.state().fileModes.value(SystemPaths::installedFolder), "6550");
    EXPECT_EQ(machine.state().fileOwners.value(SystemPaths::startupItemsFolder), "0:0");
    EXPECT_TRUE(Methods::isAgentInstalled());
    EXPECT_FALSE(Methods::agentNeedsUpdating());
}

TEST_F(PrivilegedMethodsTest, InstallLeavesACurrentAgentAlone)
{
    prepareAgent(Agent::Current);
    authorize();
    Methods::installAgent();
    EXPECT_TRUE(machine.commandLog().isEmpty());
    EXPECT_EQ(agentRuns, 0);
}

TEST_F(PrivilegedMethodsTest, InstallOverAnOutdatedAgentRemovesItFirst)
{
    prepareAgent(Agent::Outdated);
    machine.setCrontab("root", kAgentLine);
    authorize();

    Methods::installAgent();

    EXPECT_EQ(runs(), kRemoveRuns + kInstallRuns);
    EXPECT_EQ(machine.crontab("root"), kAgentLine);
    EXPECT_EQ(readSystemFile(SystemPaths::installedAgent), "fresh agent");
    EXPECT_TRUE(systemFileExists(SystemPaths::settingsFile));
    EXPECT_EQ(agentRuns, 2);
}

TEST_F(PrivilegedMethodsTest, InstallWithoutTheShippedFolderStopsSilently)
{
    QDir(applicationFolder + "/NightfoldStartup").removeRecursively();
    authorize();
    Methods::installAgent();
    EXPECT_TRUE(machine.commandLog().isEmpty());
    EXPECT_FALSE(Methods::isAgentInstalled());
}

TEST_F(PrivilegedMethodsTest, RemoveCleansTheCrontabAndDeletesTheSettingsAroundOneAgentRun)
{
    prepareAgent(Agent::Current);
    machine.setCrontab("root", "# kept\n0\t4\t*\t*\t*\t/usr/bin/backup\n" + kAgentLine);
    writeSystemFile(SystemPaths::settingsFile, "settings");
    bool fileThereWhenAgentRan = true;
    machine.setAgentPass([&] {
        ++agentRuns;
        fileThereWhenAgentRan = systemFileExists(SystemPaths::settingsFile);
        writeSystemFile(SystemPaths::settingsFile, "written by the agent");
    });
    authorize();

    Methods::removeAgent();

    // The agents are stopped before their folder goes.
    EXPECT_EQ(runs(), kRemoveRuns);
    EXPECT_EQ(machine.crontab("root"), "# kept\n0\t4\t*\t*\t*\t/usr/bin/backup\n");
    EXPECT_EQ(agentRuns, 1);
    EXPECT_FALSE(fileThereWhenAgentRan);
    EXPECT_FALSE(systemFileExists(SystemPaths::settingsFile));
    EXPECT_FALSE(Methods::isAgentInstalled());
}

TEST_F(PrivilegedMethodsTest, AgentNeedsUpdatingOnlyWhenTheInstalledOneIsStrictlyOlder)
{
    struct Case {
        const char* name;
        Agent agent;
        int installedAgeSeconds;  // before the fresh agent; negative: after it
        bool removeInstalledAgent;
        bool removeFreshAgent;
        bool needsUpdating;
    };
    const Case cases[] = {
        {"not installed", Agent::Missing, 0, false, false, false},
        {"older", Agent::Outdated, 1, false, false, true},
        {"equal dates", Agent::Current, 0, false, false, false},
        {"newer", Agent::Current, -60, false, false, false},
        {"installed folder without its agent", Agent::Current, 0, true, false, true},
        {"no fresh agent to update from", Agent::Outdated, 1, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(SystemPaths::resolve(SystemPaths::installedFolder)).removeRecursively();
        writeFile(freshAgent(), "fresh agent");
        prepareAgent(c.agent);
        if (c.agent != Agent::Missing)
            setModified(installedAgent(), QFileInfo(freshAgent()).lastModified().addSecs(-c.installedAgeSeconds));
        if (c.removeInstalledAgent)
            QFile::remove(installedAgent());
        if (c.removeFreshAgent)
            QFile::remove(freshAgent());
        EXPECT_EQ(Methods::agentNeedsUpdating(), c.needsUpdating);
    }
}

TEST_F(PrivilegedMethodsTest, CanSwitchOutAsksTheFileToolAboutTheSwitchingTool)
{
    for (const bool present : {true, false}) {
        SCOPED_TRACE(present);
        machine.setCGSessionPresent(present);
        machine.clearLogs();
        EXPECT_EQ(Methods::canSwitchOut(), present);
        EXPECT_EQ(machine.commandLines(),
                  QStringList{"file \"/System/Library/CoreServices/Menu Extras/User.menu/Contents/Resources/CGSession\""});
    }
}

// The group record as niutil prints it, answered by the fake shell.
class AdminStatusTest : public CoreFixture {};

TEST_F(AdminStatusTest, AdministratorsAreTheMembersTheGroupRecordLists)
{
    struct Case {
        const char* record;
        const char* user;
        bool isAdmin;
    };
    // Membership, not any mention: neither the group's own name nor a name
    // inside another word makes an administrator.
    const Case cases[] = {
        {"name: admin\ngid: 80\nusers: root alice\n", "alice", true},
        {"name: admin\ngid: 80\nusers: root alice\n", "ALICE", true},
        {"name: admin\ngid: 80\nusers: root alice\n", "bob", false},
        {"name: admin\ngid: 80\nusers: root alice\n", "min", false},
        {"name: admin\ngid: 80\nusers: root alice\n", "admin", false},
        {"name: admin\ngid: 80\nusers: root alice\n", "ali", false},
        {"name: admin\ngid: 80\nusers: root,alice, carol\n", "carol", true},
        {"name: admin\ngid: 80\n", "root", false},
        {"", "alice", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 / %2").arg(c.user, c.record).toStdString());
        FakeShell groupShell;
        groupShell.answer("niutil -read . /groups/admin", c.record);
        groupShell.install();
        auto user = std::make_shared<NightfoldUser>();
        user->Name = c.user;
        user->isAdmin = !c.isAdmin;
        Globals::Users = {nullptr, user};
        Methods::determineAdminStatus();
        EXPECT_EQ(user->isAdmin, c.isAdmin);
        EXPECT_EQ(groupShell.commands, QList<QString>{"niutil -read . /groups/admin"});
    }
    shell.install();
}
}  // namespace
