#include "SimMachineFixture.h"

#include "AuthorizationShell.h"
#include "SystemPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QStringList yeehaw{QStringLiteral("Yeehaw!")};

bool runPrivileged(qint64 reference, const QString& tool, const QStringList& arguments, QString* result = nullptr)
{
    auto runner = Authorization::newShell();
    runner->Assign(reference);
    const bool ran = runner->Run(tool, true, arguments);
    if (result)
        *result = runner->Result();
    return ran;
}
}  // namespace

using SimPrivilegedRunner = SimMachineFixture;

// The shared authorization: one prompt, reused while held, dead once freed.
TEST_F(SimPrivilegedRunner, PromptsOnceAndReusesAHeldReference)
{
    qint64 reference = 0;
    {
        auto runner = Authorization::newShell();
        runner->Assign(0);
        ASSERT_TRUE(runner->Run(QStringLiteral("/bin/echo"), true, yeehaw));
        EXPECT_EQ(runner->Result(), QStringLiteral("Yeehaw!\n"));
        reference = runner->Retrieve();
    }
    EXPECT_NE(reference, 0);
    EXPECT_EQ(machine.promptCount(), 1);

    writeSystemFile(QStringLiteral("/tmp/settings"), "new settings");
    EXPECT_TRUE(runPrivileged(reference, QStringLiteral("/bin/cp"), {QStringLiteral("-f"), QStringLiteral("/tmp/settings"), SystemPaths::settingsFile}));
    EXPECT_EQ(readSystemFile(SystemPaths::settingsFile), QByteArray("new settings"));
    EXPECT_EQ(machine.promptCount(), 1);

    Authorization::services().freeAuthorization(reference);
    EXPECT_FALSE(runPrivileged(reference, QStringLiteral("/bin/rm"), {QStringLiteral("-f"), SystemPaths::settingsFile}));
    EXPECT_TRUE(systemFileExists(SystemPaths::settingsFile));
    EXPECT_EQ(machine.promptCount(), 1);
    EXPECT_EQ(machine.privilegedRuns(), (QStringList{QStringLiteral("/bin/echo Yeehaw!"), QStringLiteral("/bin/cp -f /tmp/settings /etc/nightfold.conf")}));
}

TEST_F(SimPrivilegedRunner, CancelledPromptRunsNothing)
{
    machine.setPromptAnswer(PromptAnswer::Cancel);
    auto runner = Authorization::newShell();
    EXPECT_FALSE(runner->Run(QStringLiteral("/usr/bin/killall"), true, {QStringLiteral("NightfoldAgent")}));
    EXPECT_EQ(runner->Retrieve(), 0);
    EXPECT_EQ(machine.promptCount(), 1);
    EXPECT_TRUE(machine.privilegedRuns().isEmpty());
    EXPECT_EQ(machine.state().processes.size(), 4);  // the agent still runs
}

TEST_F(SimPrivilegedRunner, AReferenceNotHandedOutIsFreedWithItsRunner)
{
    EXPECT_TRUE(runPrivileged(0, QStringLiteral("/bin/echo"), yeehaw));
    EXPECT_EQ(machine.authorization().heldReferences(), 0);
    EXPECT_TRUE(runPrivileged(0, QStringLiteral("/bin/echo"), yeehaw));
    EXPECT_EQ(machine.promptCount(), 2);
}

// Installing, running and removing the agent the way the settings
// application does, with the exact argument lists.
TEST_F(SimPrivilegedRunner, InstallRunAndRemoveTheAgent)
{
    writeSystemFile(QStringLiteral("/Applications/NightfoldStartup/NightfoldAgent"), "agent");
    writeSystemFile(QStringLiteral("/Applications/NightfoldStartup/Images/LockIcon.pict"), "icon");
    int passes = 0;
    machine.setAgentPass([&] {
        ++passes;
        EXPECT_FALSE(shell(QStringLiteral("sw_vers")).isEmpty());
    });
    const qint64 reference = machine.authorization().prompt();
    const QString startup = SystemPaths::installedFolder;
    const auto run = [&](const QString& tool, const QStringList& arguments) { return runPrivileged(reference, tool, arguments); };

    EXPECT_FALSE(run(SystemPaths::installedAgent, {}));  // not installed yet
    EXPECT_TRUE(run(QStringLiteral("/usr/sbin/chown"), {QStringLiteral("0:0"), SystemPaths::startupItemsFolder}));
    EXPECT_TRUE(run(QStringLiteral("/usr/sbin/chmod"), {QStringLiteral("6550"), SystemPaths::startupItemsFolder}));
    EXPECT_TRUE(run(QStringLiteral("/bin/cp"), {QStringLiteral("-Rf"), QStringLiteral("/Applications/NightfoldStartup"), startup}));
    EXPECT_TRUE(run(QStringLiteral("/usr/sbin/chown"), {QStringLiteral("-R"), QStringLiteral("0:0"), startup}));
    EXPECT_TRUE(run(QStringLiteral("/usr/sbin/chmod"), {QStringLiteral("-R"), QStringLiteral("6550"), startup}));
    EXPECT_EQ(readSystemFile(startup + QStringLiteral("/Images/LockIcon.pict")), QByteArray("icon"));
    EXPECT_EQ(machine.state().fileModes.value(startup), QStringLiteral("6550"));
    EXPECT_EQ(machine.state().fileOwners.value(SystemPaths::startupItemsFolder), QStringLiteral("0:0"));

    // A second copy onto the installed folder lands inside it, as cp -R does.
    EXPECT_TRUE(run(QStringLiteral("/bin/cp"), {QStringLiteral("-Rf"), QStringLiteral("/Applications/NightfoldStartup"), startup}));
    EXPECT_TRUE(systemFileExists(startup + QStringLiteral("/NightfoldStartup/NightfoldAgent")));

    EXPECT_TRUE(run(SystemPaths::installedAgent, {}));
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(machine.commandLog().constLast().line, QStringLiteral("sw_vers"));  // the pass's commands follow its run

    EXPECT_TRUE(run(QStringLiteral("/usr/bin/killall"), {QStringLiteral("NightfoldAgent")}));
    EXPECT_FALSE(shell(QStringLiteral("ps -axww -o user,pid,command")).contains(QStringLiteral("NightfoldAgent")));
    EXPECT_TRUE(run(QStringLiteral("/bin/rm"), {QStringLiteral("-f"), SystemPaths::settingsFile}));
    EXPECT_TRUE(run(QStringLiteral("/bin/rm"), {QStringLiteral("-R"), QStringLiteral("-f"), startup}));
    EXPECT_FALSE(systemFileExists(startup));
    EXPECT_TRUE(systemFileExists(SystemPaths::startupItemsFolder));
    EXPECT_EQ(machine.unknownCommands(), QStringList());
}

TEST_F(SimPrivilegedRunner, RootCrontabIsItsFile)
{
    const qint64 reference = machine.authorization().prompt();
    QString result = QStringLiteral("stale");
    EXPECT_TRUE(runPrivileged(reference, QStringLiteral("/bin/cat"), {QStringLiteral("/var/cron/tabs/root")}, &result));
    EXPECT_EQ(result, QString());  // no crontab yet: the error goes to standard error, not the result

    writeSystemFile(QStringLiteral("/tmp/tempcron"), "*\t*\t*\t*\t*\t/Library/StartupItems/NightfoldStartup/NightfoldAgent\n");
    EXPECT_TRUE(runPrivileged(reference, QStringLiteral("/bin/cp"), {QStringLiteral("/tmp/tempcron"), QStringLiteral("/var/cron/tabs/root")}));
    EXPECT_TRUE(runPrivileged(reference, QStringLiteral("/usr/bin/touch"), {QStringLiteral("/var/cron/tabs/")}));
    EXPECT_TRUE(runPrivileged(reference, QStringLiteral("/bin/cat"), {QStringLiteral("/var/cron/tabs/root")}, &result));
    EXPECT_EQ(result, machine.crontab(QStringLiteral("root")));
    EXPECT_TRUE(result.endsWith(QStringLiteral("NightfoldAgent\n")));
    EXPECT_EQ(shell(QStringLiteral("crontab -u root -l")), result);
}

TEST_F(SimPrivilegedRunner, UnknownToolsAndPathsLeavingTheRootRunNothing)
{
    const qint64 reference = machine.authorization().prompt();
    EXPECT_FALSE(runPrivileged(reference, QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("reboot")}));
    EXPECT_FALSE(runPrivileged(reference, QStringLiteral("/bin/rm"), {QStringLiteral("--no-preserve-root"), QStringLiteral("/")}));
    EXPECT_EQ(machine.unknownCommands(),
              (QStringList{QStringLiteral("[privileged] /bin/sh -c reboot"), QStringLiteral("[privileged] /bin/rm --no-preserve-root /")}));

    writeSystemFile(QStringLiteral("/tmp/x"), "x");
    const QString outside = QStringLiteral("/../nightfold-sim-outside-%1").arg(QCoreApplication::applicationPid());
    runPrivileged(reference, QStringLiteral("/bin/cp"), {QStringLiteral("/tmp/x"), outside});
    runPrivileged(reference, QStringLiteral("/usr/bin/touch"), {outside});
    EXPECT_FALSE(QFileInfo::exists(QDir::cleanPath(root.path() + outside)));
    runPrivileged(reference, QStringLiteral("/bin/rm"), {QStringLiteral("-R"), QStringLiteral("-f"), QStringLiteral("/")});
    EXPECT_TRUE(systemFileExists(QStringLiteral("/tmp/x")));

    // Without a root folder the machine touches no file at all.
    const QString real = QStringLiteral("/tmp/nightfold-sim-no-root-%1").arg(QCoreApplication::applicationPid());
    SystemPaths::setRoot(QStringLiteral("/"));
    runPrivileged(reference, QStringLiteral("/usr/bin/touch"), {real});
    shell(QStringLiteral("crontab -u root ") + real);
    SystemPaths::setRoot(root.path());
    EXPECT_FALSE(QFileInfo::exists(real));
}
