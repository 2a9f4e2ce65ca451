#include "ShellCommands.h"

#include "ShellWords.h"
#include "SimFileSystem.h"
#include "SystemPaths.h"

#include <QRegularExpression>

namespace {
const QString noMatchingProcesses = QStringLiteral("No matching processes belonging to you were found\n");

// The fixed text of the log-out pipeline around the 8-character name.
const QString killBefore = QStringLiteral("kill `ps -axuc | awk '/loginw/{print $2, $1, $11}' | awk '$2 == \"");
const QString killAfter = QStringLiteral("\" {print $1}'`");
const QString usersBefore = QStringLiteral("/usr/bin/users | /usr/bin/grep -qwF ");
const QString rebootAfter = QStringLiteral(" && /sbin/reboot");
const QString shutdownAfter = QStringLiteral(" && /sbin/shutdown -h +0");

// The name between a fixed beginning and end, when it is a safe short name.
std::optional<QString> nameBetween(const QString& line, const QString& before, const QString& after)
{
    static const QRegularExpression safeName(QStringLiteral("^[A-Za-z0-9._-]+$"));
    if (!line.startsWith(before) || !line.endsWith(after) || line.size() <= before.size() + after.size())
        return std::nullopt;
    const QString name = line.mid(before.size(), line.size() - before.size() - after.size());
    if (!safeName.match(name).hasMatch())
        return std::nullopt;
    return name;
}

bool isWordCharacter(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// grep -wF: the text occurs with no word character right before or after it.
bool containsWholeWord(const QString& line, const QString& word)
{
    for (qsizetype at = line.indexOf(word); at >= 0; at = line.indexOf(word, at + 1)) {
        const qsizetype end = at + word.size();
        const bool startOk = at == 0 || !isWordCharacter(line[at - 1]);
        const bool endOk = end == line.size() || !isWordCharacter(line[end]);
        if (startOk && endOk)
            return true;
    }
    return false;
}

QString userPath(const QString& directoryPath)
{
    static const QString prefix = QStringLiteral("/users/");
    if (!directoryPath.startsWith(prefix))
        return {};
    const QString name = directoryPath.mid(prefix.size());
    return name.contains(QLatin1Char('/')) ? QString() : name;
}

QString macPathOf(const QString& application)
{
    if (application == QLatin1String("Finder"))
        return QStringLiteral("Macintosh HD:System:Library:CoreServices:Finder.app:\n");
    return QStringLiteral("Macintosh HD:Applications:%1.app:\n").arg(application);
}

const char* const monthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}  // namespace

std::optional<QString> ShellCommands::run(const QString& commandLine)
{
    if (const auto words = ShellWords::split(commandLine))
        return runSimple(*words);
    return runPipeline(commandLine);
}

std::optional<QString> ShellCommands::runPipeline(const QString& line)
{
    if (line == QLatin1String("ps -auxcwww | awk '/loginwindow/{print $1}'")) {
        QString owners;
        for (const SimLogin& login : m_state.logins)
            owners += login.user.left(8) + QLatin1Char('\n');
        return owners;
    }
    if (line == QLatin1String("(/bin/ps -axc | /usr/bin/grep Finder || echo \"yes\")")) {
        QString finders;
        for (const SimProcess& p : m_state.processTable()) {
            if (p.command == MachineState::finderCommand)
                finders += QStringLiteral("%1  ??  S      0:02.17 Finder\n").arg(p.pid, 5);
        }
        return finders.isEmpty() ? QStringLiteral("yes\n") : finders;
    }
    if (const auto name = nameBetween(line, killBefore, killAfter))
        return killLoginWindows(*name);
    for (const QString& after : {rebootAfter, shutdownAfter}) {
        const auto name = nameBetween(line, usersBefore, after);
        if (!name)
            continue;
        if (name->startsWith(QLatin1Char('-')))
            return QStringLiteral("usage: grep [-abcDEFGHhIiJLlmnOoqRSsUVvwxZ] [pattern] [file ...]\n");
        if (containsWholeWord(usersLine(), *name)) {
            m_state.setPower(after == rebootAfter ? PowerState::Restarting : PowerState::ShutDown);
            return after == rebootAfter ? QString() : QStringLiteral("Shutdown NOW!\n");
        }
        return QString();
    }
    return std::nullopt;
}

std::optional<QString> ShellCommands::runSimple(const QStringList& words)
{
    const QString& tool = words.constFirst();
    const QStringList args = words.mid(1);
    if (tool == QLatin1String("niutil"))
        return niutil(args);
    if (tool == QLatin1String("/usr/bin/osascript") && args.size() == 2 && args[0] == QLatin1String("-e"))
        return osascript(args[1]);
    if (tool == QLatin1String("crontab"))
        return crontab(args);
    if (words == QStringList{QStringLiteral("sw_vers")})
        return QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t%1\nBuildVersion:\t%2\n")
            .arg(m_state.productVersion(), m_state.buildVersion());
    if (words == QStringList{QStringLiteral("who"), QStringLiteral("am"), QStringLiteral("i")})
        return whoAmI();
    if (tool == MachineState::cgsessionPath && args == QStringList{QStringLiteral("-suspend")}) {
        if (!m_state.cgsessionPresent)
            return QStringLiteral("sh: 1: %1: not found\n").arg(tool);
        m_state.switchOutFront();
        return QString();
    }
    if (words == QStringList{QStringLiteral("/sbin/shutdown"), QStringLiteral("-h"), QStringLiteral("+0")}) {
        m_state.setPower(PowerState::ShutDown);
        return QStringLiteral("Shutdown NOW!\n");
    }
    if (args.isEmpty() && tool.startsWith(QLatin1Char('/')) && tool.endsWith(QLatin1String("/DozeOff"))) {
        m_state.setPower(PowerState::Asleep);
        return QString();
    }
    if (words == QStringList{QStringLiteral("/usr/bin/false")})
        return QString();
    if (tool == QLatin1String("/usr/bin/open") && args.size() == 1) {
        const bool warning = args[0] == SystemPaths::warningApplication;
        m_state.openApplication(args[0], warning ? QStringLiteral("warning opened") : QStringLiteral("countdown opened"));
        return QString();
    }
    if (tool == QLatin1String("killall") && args.size() == 3 && args[0] == QLatin1String("-u"))
        return m_state.closeApplication(args[1], args[2]) ? QString() : noMatchingProcesses;
    if (words == QStringList{QStringLiteral("ps"), QStringLiteral("-axww"), QStringLiteral("-o"), QStringLiteral("user,pid,command")})
        return processList();
    if (tool == QLatin1String("renice") && args.size() == 2)
        return renice(args[0], args[1]);
    if (tool == QLatin1String("chmod") && args.size() == 3 && args[0] == QLatin1String("-R"))
        return chmod(args[1], args[2]);
    if (tool == QLatin1String("file") && args == QStringList{MachineState::cgsessionPath}) {
        if (m_state.cgsessionPresent)
            return args[0] + QStringLiteral(": Mach-O executable ppc\n");
        return QStringLiteral("%1: can't stat `%1' (No such file or directory).\n").arg(args[0]);
    }
    return std::nullopt;
}

std::optional<QString> ShellCommands::niutil(const QStringList& args)
{
    if (args.size() < 3 || args[1] != QLatin1String("."))
        return std::nullopt;
    const QString& verb = args[0];
    const QString& path = args[2];
    if (verb == QLatin1String("-list") && args.size() == 3 && path == QLatin1String("/users")) {
        QString list;
        for (const SimAccount& account : m_state.accounts)
            list += QString::number(account.directoryId).leftJustified(7) + QLatin1Char(' ') + account.record.name() + QLatin1Char('\n');
        return list;
    }
    if (verb == QLatin1String("-read") && args.size() == 3 && path == QLatin1String("/groups/admin"))
        return m_state.adminGroup.niutilText();
    const QString name = userPath(path);
    const bool knownVerb = (verb == QLatin1String("-read") && args.size() == 3)
                           || (verb == QLatin1String("-createprop") && args.size() >= 4)
                           || (verb == QLatin1String("-destroyprop") && args.size() == 4);
    if (name.isEmpty() || !knownVerb)
        return std::nullopt;
    const SimAccount* account = m_state.findAccount(name);
    if (!account)
        return QStringLiteral("niutil: can't open directory %1: No such directory\n").arg(path);
    if (verb == QLatin1String("-read"))
        return account->record.niutilText();
    if (verb == QLatin1String("-createprop"))
        m_state.setUserProperty(name, args[3], args.mid(4).join(QLatin1Char(' ')));
    else
        m_state.destroyUserProperty(name, args[3]);
    return QString();
}

std::optional<QString> ShellCommands::osascript(const QString& script) const
{
    static const QString notRunning = QStringLiteral("execution error: Finder got an error: Application isn't running. (-600)\n");
    const SimLogin* login = m_state.frontLogin();
    const bool finderAnswers = login && login->finderPid != 0;
    if (script == QLatin1String("return path to frontmost application as text")) {
        switch (m_state.front) {
        case FrontKind::User:
            if (login)
                return macPathOf(login->frontApplication);
            break;
        case FrontKind::AuthDialog:
            return QStringLiteral("Macintosh HD:System:Library:CoreServices:SecurityAgent.app:\n");
        case FrontKind::NoDesktop:
            return QStringLiteral("0:43: execution error: An error of type -10810 has occurred. (-10810)\n");
        case FrontKind::LoginWindow:
            break;
        }
        return QStringLiteral("Macintosh HD:System:Library:CoreServices:loginwindow.app:\n");
    }
    if (script == QLatin1String("tell application \"Finder\" to return system attribute \"USER\""))
        return finderAnswers ? login->user + QLatin1Char('\n') : QStringLiteral("0:59: ") + notRunning;
    if (script == QLatin1String("tell application \"Finder\" to return name of first process whose frontmost is true and visible is true"))
        return finderAnswers ? login->frontApplication + QLatin1Char('\n') : QStringLiteral("0:98: ") + notRunning;
    return std::nullopt;
}

std::optional<QString> ShellCommands::crontab(const QStringList& args)
{
    // crontab [-u USER] -l | crontab [-u USER] FILE
    QString user = shellUser();
    QStringList rest = args;
    if (rest.size() == 3 && rest[0] == QLatin1String("-u")) {
        user = rest[1];
        rest = rest.mid(2);
    }
    if (rest.size() != 1 || (rest[0].startsWith(QLatin1Char('-')) && rest[0] != QLatin1String("-l")))
        return std::nullopt;
    const QString file = rest[0] == QLatin1String("-l") ? QString() : rest[0];
    if (!m_state.findAccount(user))
        return QStringLiteral("crontab: user `%1' unknown\n").arg(user);
    if (file.isEmpty()) {
        if (!m_state.hasCrontab(user))
            return QStringLiteral("crontab: no crontab for %1\n").arg(user);
        return m_state.crontab(user);
    }
    const auto text = SimFileSystem::read(file);
    if (!text)
        return QStringLiteral("crontab: %1: No such file or directory\n").arg(file);
    if (!m_state.setCrontab(user, QString::fromUtf8(*text)))
        return QStringLiteral("crontab: %1: Permission denied\n").arg(user);
    return QString();
}

QString ShellCommands::killLoginWindows(const QString& shortName)
{
    QStringList ended;
    for (const SimLogin& login : m_state.logins) {
        if (login.user.left(8) == shortName)
            ended.append(login.user);
    }
    if (ended.isEmpty())
        return QStringLiteral("usage: kill [-s signal_name] pid ...\n");
    for (const QString& user : ended)
        m_state.endLogin(user);
    return QString();
}

QString ShellCommands::processList() const
{
    QString list = QStringLiteral("USER       PID COMMAND\n");
    for (const SimProcess& p : m_state.processTable())
        list += QStringLiteral("%1 %2 %3\n").arg(p.user.left(8), -8).arg(p.pid, 5).arg(p.command);
    return list;
}

QString ShellCommands::renice(const QString& priority, const QString& pidText)
{
    bool numbers = false;
    const int pid = pidText.toInt(&numbers);
    const int newPriority = numbers ? priority.toInt(&numbers) : 0;
    for (SimProcess& p : m_state.processes) {
        if (numbers && p.pid == pid) {
            const int old = p.priority;
            p.priority = newPriority;
            return QStringLiteral("%1: old priority %2, new priority %3\n").arg(pid).arg(old).arg(newPriority);
        }
    }
    return QStringLiteral("renice: %1: getpriority: No such process\n").arg(pidText);
}

QString ShellCommands::chmod(const QString& mode, const QString& path)
{
    if (!SimFileSystem::exists(path))
        return QStringLiteral("chmod: %1: No such file or directory\n").arg(path);
    m_state.fileModes.insert(path, mode);
    return QString();
}

QString ShellCommands::whoAmI() const
{
    const SimLogin* login = m_state.frontLogin();
    if (!login)
        return QString();
    const QString when = QStringLiteral("%1 %2 %3:%4")
                             .arg(QLatin1String(monthNames[login->since.month() - 1]))
                             .arg(login->since.day(), 2)
                             .arg(login->since.hour(), 2, 10, QLatin1Char('0'))
                             .arg(login->since.minute(), 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 %2 %3 \n").arg(login->user.left(8), -8).arg(QStringLiteral("console"), -8).arg(when);
}

QString ShellCommands::shellUser() const
{
    const SimLogin* login = m_state.frontLogin();
    return login ? login->user : QStringLiteral("root");
}

QString ShellCommands::usersLine() const
{
    QStringList names;
    for (const SimLogin& login : m_state.logins)
        names.append(login.user.left(8));
    names.sort();
    return names.join(QLatin1Char(' ')) + QLatin1Char('\n');
}
