#include "SimulatedMachine.h"

#include "Clock.h"
#include "CommandRunner.h"
#include "MachineJson.h"
#include "SimCommandRunner.h"
#include "SimFileSystem.h"
#include "SystemPaths.h"

#include <stdexcept>

const QString SimulatedMachine::defaultPicture = QStringLiteral("/Library/User Pictures/Animals/Eagle.tif");

QString CommandLogEntry::text() const { return privileged ? QStringLiteral("[privileged] ") + line : line; }

SimulatedMachine::SimulatedMachine()
{
    addSystemAccount(QStringLiteral("nobody"), QStringLiteral("Unprivileged User"), -2, QStringLiteral("/usr/bin/false"),
                     QStringLiteral("/var/empty"));
    addSystemAccount(QStringLiteral("root"), QStringLiteral("System Administrator"), 0, QStringLiteral("/bin/sh"),
                     QStringLiteral("/var/root"));
    addSystemAccount(QStringLiteral("daemon"), QStringLiteral("System Services"), 1, QStringLiteral("/usr/bin/false"),
                     QStringLiteral("/var/root"));
    addSystemAccount(QStringLiteral("unknown"), QStringLiteral("Unknown User"), 99, QStringLiteral("/usr/bin/false"),
                     QStringLiteral("/var/empty"));
    addSystemAccount(QStringLiteral("www"), QStringLiteral("World Wide Web Server"), 70, QStringLiteral("/dev/null"),
                     QStringLiteral("/Library/WebServer"));
    m_state.adminGroup = AccountRecord({{QStringLiteral("name"), QStringLiteral("admin")},
                                        {QStringLiteral("passwd"), QStringLiteral("*")},
                                        {QStringLiteral("gid"), QStringLiteral("80")},
                                        {QStringLiteral("users"), QStringLiteral("root")}});
    m_state.processes = {{QStringLiteral("root"), 1, QStringLiteral("/sbin/init")},
                         {QStringLiteral("root"), 2, QStringLiteral("/sbin/mach_init")},
                         {QStringLiteral("root"), 87, QStringLiteral("/usr/sbin/cron")}};
    addProcess(QStringLiteral("root"), SystemPaths::installedAgent);
}

SimulatedMachine::~SimulatedMachine() { uninstall(); }

void SimulatedMachine::install()
{
    CommandRunner::setFactory([this] { return std::make_unique<SimCommandRunner>(*this); });
    Authorization::setServices(&m_authorization);
    m_installed = true;
}

void SimulatedMachine::uninstall()
{
    if (!m_installed)
        return;
    CommandRunner::setFactory({});
    Authorization::setServices(nullptr);
    m_installed = false;
}

qsizetype SimulatedMachine::beginEntry(CommandLogEntry entry)
{
    entry.at = Clock::now();
    entry.power = m_state.power;
    m_log.append(std::move(entry));
    return m_log.size() - 1;
}

QString SimulatedMachine::runShell(const QString& commandLine)
{
    CommandLogEntry entry;
    entry.line = commandLine;
    const qsizetype at = beginEntry(std::move(entry));
    const std::optional<QString> output = m_shell.run(commandLine);
    CommandLogEntry& logged = m_log[at];
    logged.known = output.has_value();
    logged.output = output.value_or(QStringLiteral("sh: 1: %1: not found\n").arg(commandLine.section(QLatin1Char(' '), 0, 0)));
    return logged.output;
}

bool SimulatedMachine::runPrivileged(const QString& tool, const QStringList& arguments, QString& output)
{
    CommandLogEntry entry;
    entry.privileged = true;
    entry.tool = tool;
    entry.arguments = arguments;
    entry.line = (QStringList{tool} + arguments).join(QLatin1Char(' '));
    const qsizetype at = beginEntry(std::move(entry));
    const std::optional<PrivilegedTools::Outcome> outcome = m_tools.run(tool, arguments);
    CommandLogEntry& logged = m_log[at];
    logged.known = outcome.has_value();
    if (!outcome) {
        logged.error = QStringLiteral("%1: not executable").arg(tool);
        output.clear();
        return false;
    }
    logged.output = output = outcome->output;
    logged.error = outcome->error;
    return outcome->executed;
}

bool SimulatedMachine::runAgentPass()
{
    if (!SimFileSystem::exists(SystemPaths::installedAgent))
        return false;
    startAgentProcess();
    if (m_agentPass)
        m_agentPass();
    return true;
}

void SimulatedMachine::startAgentProcess()
{
    const bool agentListed = std::any_of(m_state.processes.cbegin(), m_state.processes.cend(),
                                         [](const SimProcess& p) { return p.command == SystemPaths::installedAgent; });
    if (!agentListed)
        addProcess(QStringLiteral("root"), SystemPaths::installedAgent);
}

void SimulatedMachine::addSystemAccount(const QString& name, const QString& realName, int uid, const QString& shell,
                                        const QString& home)
{
    const int id = 11 + static_cast<int>(m_state.accounts.size());
    m_state.accounts.append({id, AccountRecord({{QStringLiteral("name"), name},
                                                {QStringLiteral("passwd"), QStringLiteral("*")},
                                                {QStringLiteral("uid"), QString::number(uid)},
                                                {QStringLiteral("gid"), QString::number(uid)},
                                                {QStringLiteral("change"), QStringLiteral("0")},
                                                {QStringLiteral("expire"), QStringLiteral("0")},
                                                {QStringLiteral("realname"), realName},
                                                {QStringLiteral("home"), home},
                                                {QStringLiteral("shell"), shell}})});
}

AccountRecord& SimulatedMachine::addAccount(const QString& name, const QString& realName, const QString& shell, const QString& picture)
{
    if (name.isEmpty() || m_state.findAccount(name))
        throw std::invalid_argument("addAccount: empty or existing name " + name.toStdString());
    int uid = 501;
    int id = 0;
    for (const SimAccount& account : m_state.accounts) {
        uid = std::max(uid, account.record.value(QStringLiteral("uid")).toInt() + 1);
        id = std::max(id, account.directoryId + 1);
    }
    const QString uidText = QString::number(uid);
    const bool older = m_state.isOlderSystem();
    // The order niutil shows a record in is the directory's own, not sorted.
    AccountRecord record;
    if (!older)
        record.set(QStringLiteral("authentication_authority"), QStringLiteral(";ShadowHash;"));
    record.set(QStringLiteral("picture"), picture);
    record.set(QStringLiteral("_shadow_passwd"), QString());
    record.set(QStringLiteral("hint"), QString());
    record.set(QStringLiteral("uid"), uidText);
    record.set(QStringLiteral("_writers_passwd"), name);
    record.set(QStringLiteral("realname"), realName);
    record.set(QStringLiteral("_writers_hint"), name);
    record.set(QStringLiteral("gid"), older ? uidText : QStringLiteral("20"));
    record.set(QStringLiteral("shell"), shell);
    record.set(QStringLiteral("name"), name);
    record.set(QStringLiteral("passwd"), older ? QStringLiteral("abcdEFGH1234") : QStringLiteral("********"));
    record.set(QStringLiteral("_writers_picture"), name);
    record.set(QStringLiteral("home"), QStringLiteral("/Users/") + name);
    record.set(QStringLiteral("_writers_realname"), name);
    record.set(QStringLiteral("sharedDir"), QStringLiteral("Public"));
    m_state.accounts.append({id, record});
    return m_state.accounts.last().record;
}

SimAccount& SimulatedMachine::requireAccount(const QString& name)
{
    SimAccount* account = m_state.findAccount(name);
    if (!account)
        throw std::invalid_argument("no account " + name.toStdString());
    return *account;
}

SimLogin& SimulatedMachine::requireLogin(const QString& name)
{
    SimLogin* login = m_state.findLogin(name);
    if (!login)
        throw std::invalid_argument("no login of " + name.toStdString());
    return *login;
}

void SimulatedMachine::addAdmin(const QString& name)
{
    requireAccount(name);
    const QString users = m_state.adminGroup.value(QStringLiteral("users"));
    m_state.adminGroup.set(QStringLiteral("users"), users.isEmpty() ? name : users + QLatin1Char(' ') + name);
}

void SimulatedMachine::logIn(const QString& name, bool inFront)
{
    requireAccount(name);
    if (!m_state.findLogin(name)) {
        const int loginwindowPid = m_state.takePid();
        const int finderPid = m_state.takePid();
        m_state.logins.append({name, loginwindowPid, finderPid, Clock::now(), {QStringLiteral("Finder")}, QStringLiteral("Finder")});
    }
    if (inFront)
        bringToFront(name);
}

void SimulatedMachine::bringToFront(const QString& name)
{
    requireLogin(name);
    m_state.front = FrontKind::User;
    m_state.frontUser = name;
}

void SimulatedMachine::showLoginWindow()
{
    m_state.front = FrontKind::LoginWindow;
    m_state.frontUser.clear();
}

void SimulatedMachine::showAuthDialog()
{
    m_state.front = FrontKind::AuthDialog;
    m_state.frontUser.clear();
}

void SimulatedMachine::showNoDesktop()
{
    m_state.front = FrontKind::NoDesktop;
    m_state.frontUser.clear();
}

void SimulatedMachine::setFrontApplication(const QString& name, const QString& application)
{
    SimLogin& login = requireLogin(name);
    if (!login.applications.contains(application))
        login.applications.append(application);
    login.frontApplication = application;
}

void SimulatedMachine::setFinderRunning(const QString& name, bool running)
{
    SimLogin& login = requireLogin(name);
    if (running && login.finderPid == 0) {
        login.finderPid = m_state.takePid();
        if (!login.applications.contains(QStringLiteral("Finder")))
            login.applications.append(QStringLiteral("Finder"));
    } else if (!running && login.finderPid != 0) {
        login.finderPid = 0;
        login.applications.removeAll(QStringLiteral("Finder"));
    }
}

void SimulatedMachine::setOsVersion(const QString& version)
{
    if (version != QLatin1String("10.1") && version != QLatin1String("10.2") && version != QLatin1String("10.3"))
        throw std::invalid_argument("unknown system version " + version.toStdString());
    m_state.osVersion = version;
    m_state.cgsessionPresent = version == QLatin1String("10.3");
}

int SimulatedMachine::addProcess(const QString& user, const QString& command)
{
    const int pid = m_state.takePid();
    m_state.processes.append({user, pid, command});
    return pid;
}

bool SimulatedMachine::prepareFolders()
{
    bool made = true;
    for (const QString& folder : {QStringLiteral("/etc"), QStringLiteral("/tmp"), QStringLiteral("/var/log"), SystemPaths::cronTabsFolder,
                                  SystemPaths::applicationSupportFolder, SystemPaths::startupItemsFolder})
        made = SimFileSystem::makeFolders(folder) && made;
    return made;
}

const AccountRecord* SimulatedMachine::account(const QString& name) const
{
    const SimAccount* account = m_state.findAccount(name);
    return account ? &account->record : nullptr;
}

bool SimulatedMachine::isLocked(const QString& name) const
{
    const AccountRecord* record = account(name);
    return record && m_state.isLocked(*record);
}

QString SimulatedMachine::frontUser() const { return m_state.front == FrontKind::User ? m_state.frontUser : QString(); }

QStringList SimulatedMachine::eventTexts() const
{
    QStringList texts;
    for (const MachineEvent& event : m_state.events)
        texts.append(event.text);
    return texts;
}

QStringList SimulatedMachine::commandLines() const
{
    QStringList lines;
    for (const CommandLogEntry& entry : m_log) {
        if (!entry.privileged)
            lines.append(entry.line);
    }
    return lines;
}

QStringList SimulatedMachine::privilegedRuns() const
{
    QStringList runs;
    for (const CommandLogEntry& entry : m_log) {
        if (entry.privileged)
            runs.append(entry.line);
    }
    return runs;
}

QStringList SimulatedMachine::unknownCommands() const
{
    QStringList unknown;
    for (const CommandLogEntry& entry : m_log) {
        if (!entry.known)
            unknown.append(entry.text());
    }
    return unknown;
}

void SimulatedMachine::clearLogs()
{
    m_log.clear();
    m_state.events.clear();
}

QString SimulatedMachine::save(const QString& folder) const { return MachineJson::save(m_state, folder); }

QString SimulatedMachine::load(const QString& folder)
{
    MachineState loaded;
    const QString error = MachineJson::load(loaded, folder);
    if (error.isEmpty())
        m_state = std::move(loaded);
    return error;
}
