#include "SimCommandLine.h"

#include "Clock.h"
#include "EasyPrefs.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SimFileSystem.h"
#include "SimulatedMachine.h"
#include "SimulatedPass.h"
#include "StartupItemInstaller.h"
#include "SystemPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

namespace {
constexpr int kUsageStatus = 2;
const QString kSettingsApplication = QStringLiteral("/Applications/Nightfold.app");

std::optional<LocalDateTime> parseMoment(const QString& text)
{
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm"}) {
        const QDateTime parsed = QDateTime::fromString(text, QLatin1String(format));
        if (parsed.isValid())
            return LocalDateTime::fromDateAndTime(parsed.date(), parsed.time());
    }
    return std::nullopt;
}

// The value after an option, or nullopt when it is missing.
std::optional<QString> optionValue(const QStringList& arguments, const QString& option)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        return std::nullopt;
    return arguments[at + 1];
}

// Every argument after DIR must be a known option (with its value).
bool onlyKnownOptions(const QStringList& arguments, const QStringList& withValue, const QStringList& flags)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (withValue.contains(arguments[i]))
            ++i;
        else if (!flags.contains(arguments[i]))
            return false;
    }
    return true;
}

void printTimeline(QTextStream& out, const SimulatedPass::Outcome& outcome, bool trace, bool timeOnly)
{
    if (trace) {
        for (const QString& command : outcome.commands)
            out << "    $ " << command << '\n';
    }
    for (const auto& entry : outcome.timeline)
        out << (timeOnly ? entry.at.timeText() : entry.at.toText()) << (entry.fromAgent ? "  agent    " : "  machine  ")
            << entry.text << '\n';
    out.flush();
}

// The administrator's rules for the demo's user, written the way the settings
// application would write them.
void writeEveningRules(const LocalDateTime& at)
{
    TestClock clock(at);
    ScopedClock scoped(clock);
    Globals::resetForNewProcess();
    Methods::setProgram(Methods::Program::Agent);
    Methods::ReadPrefs();
    for (int i = 1; i <= Globals::userCount(); ++i) {
        const auto& user = Globals::Users[i];
        for (const auto& schedule : {user->Weekdays, user->Weekends}) {
            schedule->Clear();
            schedule->Enabled = true;
            schedule->NightfoldOn = true;
            schedule->UptimeOn = true;
            schedule->Nightfold = LocalDateTime::fromDateAndTime(at.date(), QTime(21, 0));
            schedule->Uptime = LocalDateTime::fromDateAndTime(at.date(), QTime(7, 0));
            schedule->Action = QStringLiteral("Log Out");
        }
        user->GetSchedule();
    }
    // The settings application notes where it lives when it starts; the
    // countdown opens it from there.
    SimFileSystem::makeFolders(QStringLiteral("/Applications"));
    SimFileSystem::write(kSettingsApplication, "simulated settings application\n");
    EasyPrefs::SetPrefFolderItem(QStringLiteral("appLocation"), kSettingsApplication);
    Methods::SaveSettings(true);
    Globals::resetForNewProcess();
}
}  // namespace

int SimCommandLine::usageError(const QString& message)
{
    m_err << "nightfold-sim: " << message << '\n';
    m_err.flush();
    return kUsageStatus;
}

int SimCommandLine::run(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return usageError(QStringLiteral("expected demo, init, pass or run"));
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("demo") && rest.isEmpty())
        return demo();
    if (command == QLatin1String("init"))
        return init(rest);
    if (command == QLatin1String("pass"))
        return pass(rest);
    if (command == QLatin1String("run"))
        return runInterval(rest);
    if (command == QLatin1String("gui") || command == QLatin1String("pictures"))
        return usageError(command + QStringLiteral(" needs the settings application, which this build leaves out"));
    return usageError(QStringLiteral("unknown command or arguments: ") + arguments.join(QLatin1Char(' ')));
}

int SimCommandLine::demo()
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return usageError(QStringLiteral("cannot create a temporary folder"));
    SystemPaths::setRoot(folder.path());
    // A Wednesday: the week's own rules, no weekend evening.
    const LocalDateTime start = LocalDateTime::fromParts(2026, 12, 9, 20, 40);
    const LocalDateTime end = LocalDateTime::fromParts(2026, 12, 10, 7, 5);
    const LocalDateTime wakeUp = LocalDateTime::fromParts(2026, 12, 10, 6, 30);

    SimulatedMachine machine;
    {
        TestClock clock(start);
        ScopedClock scoped(clock);
        machine.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith"));
        machine.logIn(QStringLiteral("bob"));
        StartupItemInstaller::install(machine, m_shippedFolder);
        machine.install();
        writeEveningRules(start);
        machine.clearLogs();
    }
    m_out << "A typical evening: bob may use the computer between 07:00 and 21:00; at 21:00 he is logged out.\n"
          << "One agent pass per minute from " << start.toText() << " to " << end.toText()
          << " while the machine is awake; it is woken at " << wakeUp.timeText() << ".\n\n";
    SimulatedPass pass(machine, folder.path());
    for (LocalDateTime at = start; at <= end; at = at.addSeconds(60)) {
        if (at == wakeUp && !pass.machineAwake()) {
            machine.wake();
            m_out << at.timeText() << "  machine  woken up\n";
        }
        if (pass.machineAwake())
            printTimeline(m_out, pass.run(at), false, true);
    }
    machine.uninstall();
    SystemPaths::setRoot(QStringLiteral("/"));
    return 0;
}

int SimCommandLine::init(const QStringList& arguments)
{
    if (arguments.isEmpty() || !onlyKnownOptions(arguments, {QStringLiteral("--os")}, {}))
        return usageError(QStringLiteral("usage: init DIR [--os 10.2|10.3]"));
    const QString os = optionValue(arguments, QStringLiteral("--os")).value_or(QStringLiteral("10.3"));
    if (os != QLatin1String("10.2") && os != QLatin1String("10.3"))
        return usageError(QStringLiteral("--os must be 10.2 or 10.3, not ") + os);
    const QString dir = QFileInfo(arguments.first()).absoluteFilePath();
    if (QFileInfo::exists(dir + QStringLiteral("/machine.json")))
        return usageError(dir + QStringLiteral("/machine.json already exists"));
    if (!QDir().mkpath(dir))
        return usageError(QStringLiteral("cannot create ") + dir);

    SystemPaths::setRoot(dir);
    SimulatedMachine machine;
    machine.setOsVersion(os);
    if (!StartupItemInstaller::install(machine, m_shippedFolder))
        return usageError(QStringLiteral("cannot install the agent's folder below ") + dir);
    const QString error = machine.save(dir);
    SystemPaths::setRoot(QStringLiteral("/"));
    if (!error.isEmpty())
        return usageError(error);
    m_out << "A new machine (Mac OS X " << os << ") is in " << dir << "/machine.json\n";
    return 0;
}

int SimCommandLine::pass(const QStringList& arguments)
{
    const std::optional<QString> at = optionValue(arguments, QStringLiteral("--at"));
    if (arguments.isEmpty() || !at || !onlyKnownOptions(arguments, {QStringLiteral("--at")}, {QStringLiteral("--trace")}))
        return usageError(QStringLiteral("usage: pass DIR --at \"YYYY-MM-DD HH:MM[:SS]\" [--trace]"));
    const std::optional<LocalDateTime> moment = parseMoment(*at);
    if (!moment)
        return usageError(QStringLiteral("malformed time: ") + *at);
    QStringList interval{arguments.first(), QStringLiteral("--from"), *at, QStringLiteral("--to"), *at};
    if (arguments.contains(QStringLiteral("--trace")))
        interval << QStringLiteral("--trace");
    return runInterval(interval);
}

int SimCommandLine::runInterval(const QStringList& arguments)
{
    const std::optional<QString> from = optionValue(arguments, QStringLiteral("--from"));
    const std::optional<QString> to = optionValue(arguments, QStringLiteral("--to"));
    if (arguments.isEmpty() || !from || !to
        || !onlyKnownOptions(arguments, {QStringLiteral("--from"), QStringLiteral("--to")}, {QStringLiteral("--trace")}))
        return usageError(QStringLiteral("usage: run DIR --from T1 --to T2 [--trace]"));
    const std::optional<LocalDateTime> start = parseMoment(*from);
    const std::optional<LocalDateTime> end = parseMoment(*to);
    if (!start || !end)
        return usageError(QStringLiteral("malformed time: ") + (start ? *to : *from));
    if (*end < *start)
        return usageError(QStringLiteral("--to is before --from"));
    const QString dir = QFileInfo(arguments.first()).absoluteFilePath();

    SimulatedMachine machine;
    SystemPaths::setRoot(dir);
    const QString loadError = machine.load(dir);
    if (!loadError.isEmpty()) {
        SystemPaths::setRoot(QStringLiteral("/"));
        return usageError(loadError);
    }
    const bool trace = arguments.contains(QStringLiteral("--trace"));
    SimulatedPass pass(machine, dir);
    for (LocalDateTime at = *start; at <= *end; at = at.addSeconds(60)) {
        if (!pass.machineAwake()) {
            m_out << at.toText() << "  machine  not awake: no pass\n";
            continue;
        }
        printTimeline(m_out, pass.run(at), trace, false);
    }
    const QString saveError = machine.save(dir);
    SystemPaths::setRoot(QStringLiteral("/"));
    if (!saveError.isEmpty()) {
        m_err << "nightfold-sim: " << saveError << '\n';
        return 1;
    }
    return 0;
}
