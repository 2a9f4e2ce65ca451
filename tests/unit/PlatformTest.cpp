#include "Clock.h"
#include "CommandRunner.h"
#include "Console.h"
#include "CoreFixture.h"
#include "LocalDateTime.h"
#include "StringStuff.h"
#include "SystemPaths.h"

#include <gtest/gtest.h>

TEST(LocalDateTime, StoredSecondsCountFrom1904OnTheLocalCalendar)
{
    const LocalDateTime nine = LocalDateTime::fromParts(2026, 12, 11, 21, 0, 0);
    EXPECT_EQ(nine.storedSeconds(), 3879867600.0);
    EXPECT_EQ(LocalDateTime::fromStoredSeconds(3879867600.0), nine);
    EXPECT_EQ(LocalDateTime().date(), QDate(1904, 1, 1));
    EXPECT_EQ(nine.dayOfWeek(), 6);  // Friday
    EXPECT_EQ(LocalDateTime::fromParts(2026, 12, 13).dayOfWeek(), 1);  // Sunday
}

TEST(LocalDateTime, HostileStoredValuesStayInRange)
{
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e300, 1e300}) {
        const LocalDateTime t = LocalDateTime::fromStoredSeconds(v);
        EXPECT_TRUE(t.date().isValid());
        EXPECT_GE(t.hour(), 0);
    }
    const LocalDateTime before = LocalDateTime::fromStoredSeconds(-1.0);
    EXPECT_EQ(before.date(), QDate(1903, 12, 31));
    EXPECT_EQ(before.timeText(), QStringLiteral("23:59:59"));
}

TEST(TestClock, WaitsMoveTheClockInsteadOfSleeping)
{
    TestClock clock(LocalDateTime::fromParts(2026, 12, 11, 20, 59, 0));
    clock.wait(5000);
    EXPECT_EQ(clock.now(), LocalDateTime::fromParts(2026, 12, 11, 20, 59, 5));
    clock.advanceDays(1);
    EXPECT_EQ(clock.now().day(), 12);
}

TEST(StringStuff, GetAfterGetBeforeAndQuote)
{
    EXPECT_EQ(StringStuff::GetAfter(QStringLiteral("501 bob"), QStringLiteral(" ")), QStringLiteral("bob"));
    EXPECT_EQ(StringStuff::GetAfter(QStringLiteral("nobreak"), QStringLiteral(" ")), QString());
    EXPECT_EQ(StringStuff::GetBefore(QStringLiteral("home: /Users/bob"), QStringLiteral(":")), QStringLiteral("home"));
    EXPECT_EQ(StringStuff::GetBefore(QStringLiteral("nocolon"), QStringLiteral(":")), QString());
    EXPECT_EQ(StringStuff::Quote(QStringLiteral("a b")), QStringLiteral("\"a b\""));
    EXPECT_EQ(StringStuff::Quote(QStringLiteral("x\"$`\\y")), QStringLiteral("\"x\\\"\\$\\`\\\\y\""));
}

TEST(ShellCommandRunner, QuotedValuesReachTheToolUnchanged)
{
    const QString hostile = QStringLiteral("a\"b$(echo hi)`x`\\c; | &");
    ShellCommandRunner runner;
    runner.Execute(QStringLiteral("/bin/echo ") + StringStuff::Quote(hostile));
    EXPECT_EQ(runner.Result(), hostile + QLatin1Char('\n'));
    runner.Execute(QStringLiteral("echo out; echo err 1>&2"));
    EXPECT_EQ(runner.Result(), QStringLiteral("out\nerr\n"));
}

TEST(ShellCommandRunner, AHangingCommandIsEndedWithItsOutputSoFar)
{
    ShellCommandRunner runner(300);
    runner.Execute(QStringLiteral("echo started; sleep 1"));
    EXPECT_EQ(runner.Result(), QStringLiteral("started\n"));
}

TEST(Console, LinesAreCutAt255BytesOnACharacterBoundary)
{
    EXPECT_EQ(Console::cutLine(QString(300, QLatin1Char('a'))).size(), 255);
    const QByteArray cut = Console::cutLine(QString(200, QChar(0x00e9)));  // two bytes each
    EXPECT_EQ(cut.size(), 254);
    EXPECT_EQ(QString::fromUtf8(cut).size(), 127);
}

TEST(SystemPaths, ResolveBelowTheRootAndBack)
{
    SystemPaths::setRoot(QStringLiteral("/tmp/machine/"));
    EXPECT_EQ(SystemPaths::resolve(SystemPaths::settingsFile), QStringLiteral("/tmp/machine/etc/nightfold.conf"));
    EXPECT_EQ(SystemPaths::toSystemPath(QStringLiteral("/tmp/machine/var/log/nightfold.log")), SystemPaths::agentLogFile);
    SystemPaths::setRoot(QStringLiteral("/"));
    EXPECT_EQ(SystemPaths::resolve(SystemPaths::settingsFile), SystemPaths::settingsFile);
}
