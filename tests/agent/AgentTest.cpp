#include "AgentApp.h"
#include "AgentProcess.h"
#include "CoreFixture.h"
#include "EasyPrefs.h"
#include "Methods.h"
#include "PassLock.h"
#include "RuntimeError.h"
#include "SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLockFile>
#include <QProcess>

namespace {
const QString kListing = QStringLiteral("ps -axww -o user,pid,command");
const QString kAgentPath = QStringLiteral("/Library/StartupItems/NightfoldStartup/NightfoldAgent");
const QString kSkipLine = QStringLiteral("NightfoldAgent: Another pass is still running; this minute is skipped.");

class AgentTest : public CoreFixture {
protected:
    QString logFile() const { return QString::fromUtf8(readSystemFile(SystemPaths::agentLogFile)); }
};
}  // namespace

TEST_F(AgentTest, DebugLogAppendsOneDatedLinePerCallAndCopiesItToTheConsole)
{
    AgentApp::DebugLog(QStringLiteral("Going to sleep..."));
    clock.advanceMinutes(1);
    AgentApp::DebugLog(QStringLiteral("Shutting down..."));
    const QStringList lines{QStringLiteral("2026-12-11 12:00:00 NightfoldAgent: Going to sleep..."),
                            QStringLiteral("2026-12-11 12:01:00 NightfoldAgent: Shutting down...")};
    EXPECT_EQ(logFile(), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    EXPECT_EQ(consoleLines, lines);
}

TEST_F(AgentTest, ALongLineIsCutOnTheConsoleOnly)
{
    const QString message(300, QLatin1Char('x'));
    AgentApp::DebugLog(message);
    ASSERT_EQ(consoleLines.size(), 1);
    EXPECT_EQ(consoleLines[0].toUtf8().size(), 255);
    EXPECT_EQ(logFile(), QStringLiteral("2026-12-11 12:00:00 NightfoldAgent: ") + message + QLatin1Char('\n'));
}

TEST_F(AgentTest, ALineTheLogFileCannotTakeIsDroppedButStillReachesTheConsole)
{
    ASSERT_TRUE(QDir().mkpath(SystemPaths::resolve(SystemPaths::agentLogFile)));
    EXPECT_NO_THROW(AgentApp::DebugLog(QStringLiteral("Locking user \"Bob\"...")));
    EXPECT_EQ(consoleLines, QStringList{QStringLiteral("2026-12-11 12:00:00 NightfoldAgent: Locking user \"Bob\"...")});
}

TEST_F(AgentTest, GetMoreCpuRenicesTheFirstAgentLineOfTheListing)
{
    const struct {
        const char* name;
        QString listing;
        QString renice;  // empty: no renice
    } cases[] = {
        {"plain listing", "USER PID COMMAND\nroot 1 /sbin/init\nroot 4242 " + kAgentPath + "\nroot 4250 ps -axww\n",
         "renice -20 4242"},
        {"tabs, runs of blanks and CR LF", "USER\tPID  COMMAND\r\nroot \t  77   " + kAgentPath + "\r\n", "renice -20 77"},
        {"line beginning with a blank", "  USER PID COMMAND\n 315 root " + kAgentPath + "\n", "renice -20 315"},
        {"first of two, any case", "root 12 /bin/sh -c /library/startupitems/nightfoldstartup/nightfoldagent\nroot 13 " + kAgentPath + "\n",
         "renice -20 12"},
        {"no agent line", "USER PID COMMAND\nroot 1 /sbin/init\n", ""},
        {"no number where the id belongs", "root `reboot` " + kAgentPath + "\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shell = FakeShell();
        shell.answer(kListing, c.listing);
        Methods::getMoreCPU();
        QStringList expected{kListing};
        if (!c.renice.isEmpty())
            expected.append(c.renice);
        EXPECT_EQ(shell.commands, expected);
    }
    EXPECT_TRUE(debugLog.isEmpty());
}

TEST_F(AgentTest, CreateNeededFoldersMakesTheSupportFolderAndOpensItToEverybody)
{
    Methods::createNeededFolders();
    EXPECT_TRUE(QFileInfo(SystemPaths::resolve(SystemPaths::nightfoldSupportFolder)).isDir());
    EXPECT_EQ(shell.commands, QStringList{QStringLiteral("chmod -R 777 \"/Library/Application Support/Nightfold\"")});
}

TEST_F(AgentTest, LaunchNightfoldOpensTheRecordedApplicationOnlyWhenItExists)
{
    const QString application = QStringLiteral("/Applications/My Apps/Nightfold");
    const struct {
        const char* name;
        std::optional<QString> appLocation;
        bool present;
        QStringList commands;
    } cases[] = {
        {"recorded and present", application, true, {QStringLiteral("/usr/bin/open \"/Applications/My Apps/Nightfold\"")}},
        {"recorded but gone", application, false, {}},
        {"not recorded", std::nullopt, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shell.commands.clear();
        QDir(SystemPaths::resolve(QStringLiteral("/Applications"))).removeRecursively();
        if (c.present)
            writeSystemFile(application, "application");
        EasyPrefs::SetPrefFolderItem(QStringLiteral("appLocation"), c.appLocation);
        Methods::launchNightfold();
        EXPECT_EQ(shell.commands, c.commands);
    }
    EXPECT_TRUE(debugLog.isEmpty());
}

TEST_F(AgentTest, AnUnhandledErrorIsReportedFromTheUntrappedLocation)
{
    AgentApp().UnhandledException(std::make_exception_ptr(RuntimeError(RuntimeError::Kind::NilObject)));
    ASSERT_EQ(debugLog.size(), 1);
    EXPECT_TRUE(debugLog[0].contains(QStringLiteral("untrapped location")));
}

TEST_F(AgentTest, APassStartsWithItsPriorityAndFoldersAndGivesTheLockBack)
{
    EXPECT_EQ(runAgentProcess({}), 0);
    ASSERT_GE(shell.commands.size(), 2);
    EXPECT_EQ(shell.commands.mid(0, 2), (QStringList{kListing, QStringLiteral("chmod -R 777 \"/Library/Application Support/Nightfold\"")}));
    PassLock next;
    EXPECT_TRUE(next.acquire());
    EXPECT_EQ(clock.waitedMilliseconds(), 0);
}

TEST_F(AgentTest, APassWhileAnotherHoldsTheLockIsSkippedAfterABoundedWait)
{
    PassLock running;
    ASSERT_TRUE(running.acquire());
    EXPECT_EQ(runAgentProcess({}), 0);
    EXPECT_TRUE(shell.commands.isEmpty());
    EXPECT_EQ(clock.waitedMilliseconds(), PassLock::kWaitSeconds * 1000);
    ASSERT_EQ(consoleLines.size(), 1);
    EXPECT_TRUE(consoleLines[0].endsWith(kSkipLine));
    EXPECT_TRUE(logFile().endsWith(kSkipLine + QLatin1Char('\n')));
}

TEST_F(AgentTest, ALockLeftByAPassThatDiedIsTakenOverAtOnce)
{
    // A lock file naming a process that has ended.
    QProcess ended;
    ended.start(QStringLiteral("/bin/cat"));  // runs until its input closes
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedId = ended.processId();
    ASSERT_GT(endedId, 0);
    ended.closeWriteChannel();
    ASSERT_TRUE(ended.waitForFinished());
    const QByteArray deadId = QByteArray::number(endedId);
    const QString path = SystemPaths::resolve(QStringLiteral("/var/run/NightfoldAgent.lock"));
    QByteArray content;
    {
        PassLock first;
        ASSERT_TRUE(first.acquire());
        content = readSystemFile(QStringLiteral("/var/run/NightfoldAgent.lock"));
    }
    ASSERT_FALSE(content.isEmpty());
    writeSystemFile(QStringLiteral("/var/run/NightfoldAgent.lock"), deadId + content.mid(content.indexOf('\n')));

    PassLock next;
    EXPECT_TRUE(next.acquire());
    EXPECT_EQ(clock.waitedMilliseconds(), 0);
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST(StartupFolder, PicturesAreReadableWithAMaskBlackWhereThePadlockShows)
{
    const QString images = QStringLiteral(NIGHTFOLD_STARTUP_DIR "/Images/");
    const QImage icon(images + QStringLiteral("LockIcon.pict"));
    const QImage mask(images + QStringLiteral("LockMask.pict"));
    const QImage user(images + QStringLiteral("BlankUser.pict"));
    EXPECT_EQ(icon.size(), QSize(16, 20));
    EXPECT_EQ(user.size(), QSize(48, 48));
    ASSERT_EQ(mask.size(), icon.size());
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x)
            EXPECT_EQ(qAlpha(icon.pixel(x, y)) > 0, mask.pixel(x, y) == qRgb(0, 0, 0)) << x << "," << y;
    }
}
