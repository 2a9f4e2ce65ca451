// One agent pass on the simulated machine with N managed users, every one
// with evening rules, nobody logged in. The time reported is the pass's own:
// what the machine spends answering its commands is measured apart and left
// out. Counters: commands per pass (and how many beyond one per user), the
// pass's own wall and CPU time per user, the machine's time per pass.
#include "AgentProcess.h"
#include "Clock.h"
#include "Console.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SimCommandRunner.h"
#include "SimulatedMachine.h"
#include "StartupItemInstaller.h"
#include "SystemPaths.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>

namespace {
const LocalDateTime kNoon = LocalDateTime::fromParts(2026, 12, 9, 12, 0);

// Wall and CPU time of this thread, in seconds.
struct Moment {
    double wall = 0;
    double cpu = 0;

    static Moment now()
    {
        timespec cpu{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        const auto wall = std::chrono::steady_clock::now().time_since_epoch();
        return {std::chrono::duration<double>(wall).count(), double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9};
    }
    Moment operator-(const Moment& other) const { return {wall - other.wall, cpu - other.cpu}; }
    Moment& operator+=(const Moment& other)
    {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

// The machine's shell, timed.
class TimedRunner : public CommandRunner {
public:
    TimedRunner(SimulatedMachine& machine, Moment& machineTime) : m_runner(machine), m_machineTime(machineTime) {}
    void Execute(const QString& commandLine) override
    {
        const Moment start = Moment::now();
        m_runner.Execute(commandLine);
        m_machineTime += Moment::now() - start;
    }
    QString Result() const override { return m_runner.Result(); }

private:
    SimCommandRunner m_runner;
    Moment& m_machineTime;
};

class MachineWithUsers {
public:
    explicit MachineWithUsers(int users)
    {
        SystemPaths::setRoot(m_root.path());
        SystemPaths::setProgramFolder(SystemPaths::installedFolder);
        Console::setSink([](const QByteArray&) {});
        TestClock clock(kNoon);
        ScopedClock scoped(clock);
        for (int i = 0; i < users; ++i)
            m_machine.addAccount(QStringLiteral("user%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("User %1").arg(i));
        StartupItemInstaller::install(m_machine, QStringLiteral(NIGHTFOLD_STARTUP_DIR));
        m_machine.install();
        writeEveningRules();
        m_machine.uninstall();
        CommandRunner::setFactory([this] { return std::make_unique<TimedRunner>(m_machine, m_machineTime); });
        runPass(kNoon);  // the day's first pass: every count is reset and saved
    }

    ~MachineWithUsers()
    {
        CommandRunner::setFactory({});
        Console::setSink({});
        Globals::resetForNewProcess();
        SystemPaths::setRoot(QStringLiteral("/"));
    }

    // The pass's own time.
    Moment runPass(const LocalDateTime& at)
    {
        m_machine.clearLogs();
        m_machineTime = {};
        TestClock clock(at);
        ScopedClock scoped(clock);
        const Moment start = Moment::now();
        runAgentProcess({});
        return Moment::now() - start - m_machineTime;
    }

    const Moment& machineTime() const { return m_machineTime; }
    const SimulatedMachine& machine() const { return m_machine; }

private:
    void writeEveningRules()
    {
        Globals::resetForNewProcess();
        Methods::setProgram(Methods::Program::Agent);
        Methods::ReadPrefs();
        for (int i = 1; i <= Globals::userCount(); ++i) {
            for (const auto& schedule : {Globals::Users[i]->Weekdays, Globals::Users[i]->Weekends}) {
                schedule->Enabled = schedule->NightfoldOn = schedule->UptimeOn = true;
                schedule->Nightfold = LocalDateTime::fromParts(2026, 12, 9, 21, 0);
                schedule->Uptime = LocalDateTime::fromParts(2026, 12, 9, 7, 0);
                schedule->Action = QStringLiteral("Log Out");
            }
        }
        Methods::SaveSettings(true);
        Globals::resetForNewProcess();
    }

    QTemporaryDir m_root;
    SimulatedMachine m_machine;
    Moment m_machineTime;
};

void measurePasses(benchmark::State& state, bool firstOfTheDay)
{
    const int users = static_cast<int>(state.range(0));
    MachineWithUsers machine(users);
    Moment own;
    Moment inMachine;
    qsizetype commands = 0;
    LocalDateTime at = kNoon;
    for (auto _ : state) {
        if (firstOfTheDay)
            at = at.addSeconds(86400);
        const Moment pass = machine.runPass(at);
        state.SetIterationTime(pass.wall);
        own += pass;
        inMachine += machine.machineTime();
        commands = machine.machine().commandLog().size();
    }
    if (!machine.machine().unknownCommands().isEmpty())
        state.SkipWithError("the machine got a command it does not know");
    const double passes = double(state.iterations());
    state.counters["commands"] = double(commands);
    state.counters["commands_beyond_users"] = double(commands - users);
    state.counters["own_us_per_user"] = own.wall / passes / users * 1e6;
    state.counters["own_cpu_us_per_user"] = own.cpu / passes / users * 1e6;
    state.counters["machine_ms_per_pass"] = inMachine.wall / passes * 1e3;
}

void AgentPass(benchmark::State& state) { measurePasses(state, false); }

// Every pass the day's first: each user's count is reset, and each reset saves the file.
void AgentPassFirstOfTheDay(benchmark::State& state) { measurePasses(state, true); }
}  // namespace

BENCHMARK(AgentPass)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(AgentPassFirstOfTheDay)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);
