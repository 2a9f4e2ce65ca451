#include "SimProcessFixture.h"

#include "SystemPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <chrono>
#include <csignal>
#include <QCoreApplication>
#include <random>
#include <sys/resource.h>
#include <thread>

namespace {
constexpr int kKills = 250;
constexpr int kFullPassEvery = 25;

class CrashSafetyTest : public SimProcessFixture {
protected:
    // A pass run to its end; its output.
    QString passToTheEnd(const QString& at)
    {
        QProcess process;
        startPass(process, at);
        const auto output = finishedOutput(process);
        EXPECT_TRUE(output) << "the pass at " << qPrintable(at) << " failed";
        return output.value_or(QString());
    }
};

// A pass that cannot write the settings file. Tests run as root, for whom
// permissions are no obstacle: a file-size limit, or a folder in the file's place.
struct FailedWrite {
    const char* name;
    bool folderInPlace;
};
}  // namespace

TEST_F(CrashSafetyTest, PassesKilledAtRandomMomentsLeaveTheSettingsFileComplete)
{
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(wasSkipped(passToTheEnd(eveningMinute(30))));
    const qint64 passMicroseconds = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
    int minutes = countedMinutesOfBob();
    ASSERT_EQ(minutes, 1);

    std::mt19937 random(20261211);
    std::uniform_int_distribution<qint64> delay(0, passMicroseconds * 6 / 5);
    int killedBeforeTheSave = 0;
    int killedAfterTheSave = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        // Minutes before bob's evening ends at 22:00.
        const QString at = eveningMinute(31 + kill % 60);
        QProcess process;
        startPass(process, at);
        ASSERT_TRUE(process.waitForStarted());
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished();

        // Either the file before this pass's save, or the one after it.
        const int now = countedMinutesOfBob();
        ASSERT_TRUE(now == minutes || now == minutes + 1) << "kill " << kill << ": " << minutes << " minutes became " << now;
        (now == minutes ? killedBeforeTheSave : killedAfterTheSave)++;
        minutes = now;

        // A killed pass never keeps the next one from running.
        if (kill % kFullPassEvery == 0) {
            const QString output = passToTheEnd(at);
            ASSERT_FALSE(wasSkipped(output)) << "a pass after kill " << kill << " was skipped";
            ASSERT_EQ(countedMinutesOfBob(), ++minutes) << "the pass after kill " << kill << ":\n" << qPrintable(output);
        }
    }
    EXPECT_GT(killedBeforeTheSave, 0);
    EXPECT_GT(killedAfterTheSave, 0);
    RecordProperty("killedBeforeTheSave", killedBeforeTheSave);
    RecordProperty("killedAfterTheSave", killedAfterTheSave);

    for (const QString& line : logLines())
        EXPECT_FALSE(line.contains(QStringLiteral("damaged"), Qt::CaseInsensitive)) << qPrintable(line);
    // No damaged copy was ever kept. A pass killed between linking its new
    // file and renaming it over the old one leaves that new file beside it.
    static const QRegularExpression leftOverSave(QStringLiteral("^nightfold\\.conf\\.[A-Za-z0-9]{6}$"));
    for (const QString& name : QDir(SystemPaths::resolve(QStringLiteral("/etc"))).entryList(QDir::Files | QDir::Hidden | QDir::System))
        EXPECT_TRUE(name == QLatin1String("nightfold.conf") || leftOverSave.match(name).hasMatch()) << qPrintable(name);
}

// What a pass killed at any moment can leave in the lock file (nothing, part
// of its process id, the id of a process that has ended) must not keep the
// next pass from running; a lock naming a living pass must.
TEST_F(CrashSafetyTest, OnlyALockNamingALivingPassStopsTheNextPass)
{
    const struct {
        const char* name;
        QByteArray content;
        bool skipped;
    } cases[] = {
        {"empty", "", false},
        {"cut short", "4", false},
        {"not a number", "\n\n", false},
        {"a living pass", QByteArray::number(QCoreApplication::applicationPid()) + '\n', true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeSystemFile(QStringLiteral("/var/run/NightfoldAgent.lock"), c.content);
        EXPECT_EQ(wasSkipped(passToTheEnd(eveningMinute(31))), c.skipped);
        EXPECT_EQ(systemFileExists(QStringLiteral("/var/run/NightfoldAgent.lock")), c.skipped);
    }
}

TEST_F(CrashSafetyTest, AFailedWriteKeepsThePreviousFileAndIsReported)
{
    const FailedWrite cases[] = {{"file-size limit", false}, {"folder in the file's place", true}};
    for (const FailedWrite& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(wasSkipped(passToTheEnd(eveningMinute(30))));
        const QByteArray before = settingsFile();
        const int minutes = countedMinutesOfBob();
        const QString file = SystemPaths::resolve(SystemPaths::settingsFile);
        if (c.folderInPlace) {
            ASSERT_TRUE(QFile::rename(file, file + QStringLiteral(".kept")));
            ASSERT_TRUE(QDir().mkdir(file));
        }
        QFile::remove(SystemPaths::resolve(SystemPaths::agentLogFile));

        QProcess process;
        if (!c.folderInPlace) {
            // Smaller than the settings file, large enough for the report.
            process.setChildProcessModifier([] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{300, 300};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
        startPass(process, eveningMinute(31));
        ASSERT_TRUE(process.waitForFinished(60000));

        const QStringList log = logLines();
        EXPECT_TRUE(log.filter(QStringLiteral("Methods.SaveSettings")).size() >= 1) << qPrintable(log.join(QLatin1Char('\n')));
        if (c.folderInPlace) {
            EXPECT_TRUE(QFileInfo(file).isDir());
            EXPECT_TRUE(QDir(file).isEmpty());
            ASSERT_TRUE(QDir().rmdir(file));
            ASSERT_TRUE(QFile::rename(file + QStringLiteral(".kept"), file));
        }
        EXPECT_EQ(settingsFile(), before);
        EXPECT_EQ(countedMinutesOfBob(), minutes);
    }
}
