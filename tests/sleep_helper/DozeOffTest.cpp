// Runs a copy of DozeOff whose power folder lies in the build tree: the real
// program would put this machine to sleep.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <optional>
#include <sys/resource.h>

namespace {
struct Outcome {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

// The C library's text for an error number, as a program that never set its
// locale prints it.
QByteArray systemErrorText(int errorNumber)
{
    const locale_t plain = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const QByteArray text = strerror_l(errorNumber, plain);
    freelocale(plain);
    return text;
}

class DozeOffTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(powerFolder, QStringLiteral("/sys/power"));
        QDir(powerFolder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(powerFolder));
    }
    void TearDown() override { QDir(powerFolder).removeRecursively(); }

    QString statePath() const { return powerFolder + QStringLiteral("/state"); }

    void writeState(const QByteArray& states)
    {
        QFile file(statePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(states);
    }

    std::optional<QByteArray> state() const
    {
        QFile file(statePath());
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }

    // With refuseWrites the program may not grow any file: as root that is the
    // one sure way to make its write to "state" fail.
    Outcome run(const QStringList& arguments = {}, bool refuseWrites = false)
    {
        QProcess process;
        if (refuseWrites) {
            process.setChildProcessModifier([] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit nothing{0, 0};
                ::setrlimit(RLIMIT_FSIZE, &nothing);
            });
        }
        process.start(QStringLiteral(DOZEOFF_PATH), arguments);
        EXPECT_TRUE(process.waitForFinished(10000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    const QString powerFolder = QStringLiteral(DOZEOFF_POWER_FOLDER);
};
}  // namespace

TEST_F(DozeOffTest, SleepsSilentlyWhenMemIsOfferedWhateverTheArguments)
{
    for (const QStringList& arguments : {QStringList{}, QStringList{QStringLiteral("-h"), QStringLiteral("now please")}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        writeState("freeze mem disk\n");
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.output, QByteArray());
        EXPECT_EQ(outcome.errors, QByteArray());
        EXPECT_EQ(state(), QByteArray("mem"));
    }
}

TEST_F(DozeOffTest, WithoutMemOnOfferThereIsNoPowerManagerAndNoErrorText)
{
    const std::optional<QByteArray> offers[] = {QByteArray("freeze disk\n"), QByteArray(), QByteArray("memory standby\n"),
                                                std::nullopt};
    for (const auto& offer : offers) {
        SCOPED_TRACE(offer ? offer->toStdString() : "no state file");
        QFile::remove(statePath());
        if (offer)
            writeState(*offer);
        const Outcome outcome = run();
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.errors, QByteArray("IOPMFindPowerManagement() failed!\n"));
        EXPECT_EQ(state(), offer);
    }
}

TEST_F(DozeOffTest, AStateThatIsAFolderOffersNothing)
{
    ASSERT_TRUE(QDir().mkpath(statePath()));
    const Outcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.errors, QByteArray("IOPMFindPowerManagement() failed!\n"));
}

TEST_F(DozeOffTest, FailuresOfThePortAndTheRequestCarryTheSystemErrorText)
{
    writeState("freeze mem\n");
    Outcome outcome = run({}, true);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.errors, "IOPMSleepSystem() failed: " + systemErrorText(EFBIG) + '\n');

    QDir(powerFolder).removeRecursively();
    outcome = run();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.errors, "IOMasterPort() failed: " + systemErrorText(ENOENT) + '\n');
}
