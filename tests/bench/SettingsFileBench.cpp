// The settings file work of one agent pass (read the directory and the file,
// write the file back) against a fake directory of N standard accounts.
#include "Clock.h"
#include "EasyPrefs.h"
#include "FakeCommandRunner.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SystemPaths.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
QString accountRecord(const QString& name)
{
    return QStringLiteral("name: %1\nrealname: %1 Example\nuid: 501\ngid: 20\nshell: /bin/bash\nhome: /Users/%1\n"
                          "picture: /Library/User Pictures/Animals/Cat.tif\nhint: \nauthentication_authority: ;ShadowHash;\n")
        .arg(name);
}

// A machine folder with N accounts and a settings file holding a record for each.
class Machine {
public:
    explicit Machine(int accounts)
    {
        SystemPaths::setRoot(m_root.path());
        QDir().mkpath(SystemPaths::resolve(QStringLiteral("/etc")));
        Clock::setSource(&m_clock);
        QString listing;
        for (int i = 0; i < accounts; ++i)
            listing += QStringLiteral("%1 user%2\n").arg(501 + i).arg(i);
        m_shell.answer(QStringLiteral("niutil -list . /users"), listing);
        const QString read = QStringLiteral("niutil -read . /users/");
        m_shell.answer(read, [read](const QString& line) { return accountRecord(line.mid(read.size())); });
        m_shell.install();

        Globals::resetForNewProcess();
        Methods::ReadPrefs();
        for (int i = 1; i <= Globals::userCount(); ++i) {
            auto& user = *Globals::Users[i];
            user.activeMinutes = i % 300;
            user.activeDay = 11;
            user.Weekdays->Action = QStringLiteral("Log Out");
            user.Weekdays->Enabled = user.Weekdays->NightfoldOn = user.Weekdays->MaxOn = true;
            user.Weekdays->MaxUsage = 2.5;
            user.Weekends->Action = QStringLiteral("Switch Out");
            user.Weekends->Enabled = user.Weekends->UptimeOn = true;
        }
        EasyPrefs::SetPrefBoolean(QStringLiteral("realWeekends"), true);
        EasyPrefs::SetPrefBoolean(QStringLiteral("showWarning"), true);
        EasyPrefs::SetPrefBoolean(QStringLiteral("justLoggedOut"), false);
        Methods::SaveSettings(true);
    }
    ~Machine()
    {
        Globals::resetForNewProcess();
        FakeShell::uninstall();
        Clock::setSource(nullptr);
        SystemPaths::setRoot(QStringLiteral("/"));
    }

    // Only the last pass's commands are kept.
    void forgetCommands() { m_shell.commands.clear(); }

private:
    QTemporaryDir m_root;
    TestClock m_clock{LocalDateTime::fromParts(2026, 12, 11, 12, 0, 0)};
    FakeShell m_shell;
};

void perUser(benchmark::State& state)
{
    state.counters["per_user"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ReadPrefs(benchmark::State& state)
{
    Machine machine(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Globals::resetForNewProcess();
        Methods::ReadPrefs();
        machine.forgetCommands();
    }
    if (Globals::userCount() != state.range(0))
        state.SkipWithError("not every account was read");
    perUser(state);
}

void BM_SaveSettings(benchmark::State& state)
{
    Machine machine(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!Methods::SaveSettings(true))
            state.SkipWithError("the save failed");
    }
    perUser(state);
}

void BM_ReadPrefsAndSave(benchmark::State& state)
{
    Machine machine(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Globals::resetForNewProcess();
        Methods::ReadPrefs();
        if (!Methods::SaveSettings(true))
            state.SkipWithError("the save failed");
        machine.forgetCommands();
    }
    perUser(state);
}
}  // namespace

BENCHMARK(BM_ReadPrefs)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSettings)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPrefsAndSave)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
