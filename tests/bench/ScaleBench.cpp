// The agent at scale: a pass with 100, 1,000 and 10,000 managed accounts and
// a settings file with a record for each must cost the same per account, and
// so must records and listings that users can make long. The directory and
// the machine answer from a table, one lookup per command, so that only our
// own code is measured (the simulated machine looks accounts up one by one).
// Counters: time per account (or per line), commands per pass.
#include "AgentProcess.h"
#include "Clock.h"
#include "Console.h"
#include "FakeCommandRunner.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SystemPaths.h"
#include "UserClass.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
const LocalDateTime kEvening = LocalDateTime::fromParts(2026, 12, 11, 20, 30);
const LocalDateTime kLockTime = LocalDateTime::fromParts(2026, 12, 11, 21, 0);
const QString kRead = QStringLiteral("niutil -read . /users/");
constexpr int kLogins = 3;

QString accountName(int i) { return QStringLiteral("user%1").arg(i, 5, 10, QLatin1Char('0')); }

QString accountRecord(const QString& name)
{
    return QStringLiteral("authentication_authority: ;ShadowHash;\npicture: /Library/User Pictures/Animals/Eagle.tif\n"
                          "hint: \nuid: 501\nrealname: %1 Example\ngid: 20\nshell: /bin/bash\nname: %1\npasswd: ********\n"
                          "home: /Users/%1\n")
        .arg(name);
}

// Per account (or line) and iteration, as an inverted rate: seconds each.
void perItem(benchmark::State& state, const char* counter, qint64 items)
{
    state.counters[counter] =
        benchmark::Counter(double(state.iterations()) * double(items), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// N standard accounts, the first three logged in and the first in front, all
// allowed 07:00 to 21:00; the settings file holds them all.
// Records are read back as first listed, so the accounts the agent locks are
// found unlocked again by the next pass.
class ScaleMachine {
public:
    explicit ScaleMachine(int accounts)
    {
        SystemPaths::setRoot(m_root.path());
        SystemPaths::setProgramFolder(SystemPaths::installedFolder);
        for (const char* folder : {"/etc", "/tmp", "/var/log", "/var/run"})
            QDir().mkpath(SystemPaths::resolve(QLatin1String(folder)));
        shipPadlockPictures();
        Clock::setSource(&clock);
        Console::setSink([](const QByteArray&) {});
        answerAsTheMachine(accounts);
        writeRules();
    }
    ~ScaleMachine()
    {
        FakeShell::uninstall();
        Console::setSink({});
        Clock::setSource(nullptr);
        Globals::resetForNewProcess();
        SystemPaths::setRoot(QStringLiteral("/"));
    }

    qsizetype runPass()
    {
        shell.commands.clear();
        runAgentProcess({});
        return shell.commands.size();
    }

    TestClock clock{kEvening};
    FakeShell shell;

private:
    void shipPadlockPictures()
    {
        const QString images = SystemPaths::resolve(SystemPaths::installedFolder + QStringLiteral("/Images"));
        QDir().mkpath(images);
        for (const char* picture : {"LockIcon.pict", "LockMask.pict", "BlankUser.pict"})
            QFile::copy(QStringLiteral(NIGHTFOLD_STARTUP_DIR "/Images/") + QLatin1String(picture), images + QLatin1Char('/') + QLatin1String(picture));
    }

    void answerAsTheMachine(int accounts)
    {
        QString listing;
        QString logins;
        for (int i = 0; i < accounts; ++i) {
            listing += QStringLiteral("%1 %2\n").arg(501 + i).arg(accountName(i));
            if (i < kLogins)
                logins += accountName(i) + QLatin1Char('\n');
        }
        shell.answer(QStringLiteral("niutil -list . /users"), listing);
        shell.answer(kRead, [](const QString& line) { return accountRecord(line.mid(kRead.size())); });
        shell.answer(QStringLiteral("niutil"), QString());
        shell.answer(QStringLiteral("sw_vers"), QStringLiteral("ProductVersion:\t10.3.9\n"));
        shell.answer(QStringLiteral("ps -auxcwww"), logins);
        shell.answer(QStringLiteral("ps -axww"), QStringLiteral("USER PID COMMAND\nroot 400 ") + SystemPaths::installedAgent + QLatin1Char('\n'));
        shell.answer(QStringLiteral("/usr/bin/osascript -e 'return path"), QStringLiteral("Macintosh HD:Applications:Safari.app:\n"));
        shell.answer(QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system"), accountName(0) + QLatin1Char('\n'));
        shell.answer(QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return name"), QStringLiteral("Safari\n"));
        shell.answer(QString(), QString());
        shell.install();
    }

    void writeRules()
    {
        Globals::resetForNewProcess();
        Methods::setProgram(Methods::Program::Agent);
        Methods::ReadPrefs();
        for (int i = 1; i <= Globals::userCount(); ++i) {
            for (Schedule* schedule : {Globals::Users[i]->Weekdays.get(), Globals::Users[i]->Weekends.get()}) {
                schedule->Enabled = schedule->NightfoldOn = schedule->UptimeOn = true;
                schedule->Nightfold = kLockTime;
                schedule->Uptime = LocalDateTime::fromParts(2026, 12, 11, 7, 0);
                schedule->Action = QStringLiteral("Log Out");
            }
            Globals::Users[i]->activeDay = kEvening.day();
        }
        Methods::SaveSettings(true);
        Globals::resetForNewProcess();
    }

    QTemporaryDir m_root;
};

// An ordinary minute: the one user in front is counted, nobody's rule fires.
void BM_Pass(benchmark::State& state)
{
    ScaleMachine machine(int(state.range(0)));
    qsizetype commands = 0;
    for (auto _ : state)
        commands = machine.runPass();
    state.counters["commands"] = double(commands);
    perItem(state, "per_account", state.range(0));
}

// The day's first pass: every account's count is reset and saved.
void BM_FirstPassOfTheDay(benchmark::State& state)
{
    ScaleMachine machine(int(state.range(0)));
    qsizetype commands = 0;
    for (auto _ : state) {
        machine.clock.advanceDays(1);
        commands = machine.runPass();
    }
    state.counters["commands"] = double(commands);
    perItem(state, "per_account", state.range(0));
}

// 21:00: every account is locked, its picture stamped, and the three logged in
// are logged out.
void BM_PassLockingEveryone(benchmark::State& state)
{
    ScaleMachine machine(int(state.range(0)));
    machine.clock.set(kLockTime);
    qsizetype commands = 0;
    for (auto _ : state)
        commands = machine.runPass();
    state.counters["commands"] = double(commands);
    perItem(state, "per_account", state.range(0));
}

// A record whose values break their lines: one property per line.
void BM_LongRecord(benchmark::State& state)
{
    QString record = accountRecord(QStringLiteral("bob"));
    for (int i = 0; i < state.range(0); ++i)
        record += QStringLiteral("key%1: value\n").arg(i);
    for (auto _ : state)
        benchmark::DoNotOptimize(UserClass(record).GetValue(QStringLiteral("shell")));
    perItem(state, "per_line", state.range(0));
}

// Listings users can make long: their processes named loginwindow (the login
// owners) and their processes at all (the agent's own line is the last).
void BM_LongProcessListings(benchmark::State& state)
{
    ScaleMachine machine(1000);
    QString owners;
    QString processes = QStringLiteral("USER PID COMMAND\n");
    for (int i = 0; i < state.range(0); ++i) {
        owners += accountName(i % kLogins) + QLatin1Char('\n');
        processes += QStringLiteral("%1 %2 /Users/%1/bin/loginwindow   --busy\n").arg(accountName(i % kLogins)).arg(1000 + i);
    }
    processes += QStringLiteral("root 400 ") + SystemPaths::installedAgent + QLatin1Char('\n');
    FakeShell listings;
    listings.answer(QStringLiteral("ps -auxcwww"), owners);
    listings.answer(QStringLiteral("ps -axww"), processes);
    listings.answer(QStringLiteral("/usr/bin/osascript -e 'return path"), QStringLiteral("Macintosh HD:Applications:Safari.app:\n"));
    listings.answer(QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system"), accountName(0) + QLatin1Char('\n'));
    listings.answer(QStringLiteral("sw_vers"), QStringLiteral("ProductVersion:\t10.3.9\n"));
    Globals::resetForNewProcess();
    Methods::ReadPrefs();
    listings.install();
    for (auto _ : state) {
        Methods::updateActiveUsers(true);
        Methods::getMoreCPU();
    }
    machine.shell.install();
    perItem(state, "per_line", state.range(0));
}
}  // namespace

BENCHMARK(BM_Pass)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPassOfTheDay)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassLockingEveryone)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongRecord)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongProcessListings)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
