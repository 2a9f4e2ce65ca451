#include "MachineState.h"

#include "Clock.h"
#include "SimFileSystem.h"
#include "SystemPaths.h"

#include <algorithm>

const QString MachineState::loginwindowCommand =
    QStringLiteral("/System/Library/CoreServices/loginwindow.app/Contents/MacOS/loginwindow console");
const QString MachineState::finderCommand = QStringLiteral("/System/Library/CoreServices/Finder.app/Contents/MacOS/Finder");
const QString MachineState::cgsessionPath =
    QStringLiteral("/System/Library/CoreServices/Menu Extras/User.menu/Contents/Resources/CGSession");

namespace {
const QString lockedPassword = QStringLiteral("uauudt_lmk");

QString rootCrontabPath() { return SystemPaths::cronTabsFolder + QStringLiteral("/root"); }

bool isRoot(const QString& user) { return user == QLatin1String("root"); }

template <typename Logins>
auto findIn(Logins& logins, const QString& name) -> decltype(logins.data())
{
    for (auto& login : logins) {
        if (login.user == name)
            return &login;
    }
    return nullptr;
}
}  // namespace

SimAccount* MachineState::findAccount(const QString& name)
{
    for (SimAccount& account : accounts) {
        if (account.record.name() == name)
            return &account;
    }
    return nullptr;
}

const SimAccount* MachineState::findAccount(const QString& name) const
{
    return const_cast<MachineState*>(this)->findAccount(name);
}

SimLogin* MachineState::findLogin(const QString& name) { return findIn(logins, name); }
const SimLogin* MachineState::findLogin(const QString& name) const { return findIn(logins, name); }

SimLogin* MachineState::frontLogin() { return front == FrontKind::User ? findLogin(frontUser) : nullptr; }
const SimLogin* MachineState::frontLogin() const { return front == FrontKind::User ? findLogin(frontUser) : nullptr; }

bool MachineState::isOlderSystem() const
{
    return osVersion.startsWith(QLatin1String("10.1")) || osVersion.startsWith(QLatin1String("10.2"));
}

bool MachineState::isLocked(const AccountRecord& record) const
{
    if (isOlderSystem())
        return !record.has(QStringLiteral("passwd")) || record.value(QStringLiteral("passwd")) == lockedPassword;
    return !record.has(QStringLiteral("authentication_authority"));
}

QString MachineState::productVersion() const
{
    if (osVersion == QLatin1String("10.1"))
        return QStringLiteral("10.1.5");
    if (osVersion == QLatin1String("10.2"))
        return QStringLiteral("10.2.8");
    return QStringLiteral("10.3.9");
}

QString MachineState::buildVersion() const
{
    if (osVersion == QLatin1String("10.1"))
        return QStringLiteral("5S60");
    if (osVersion == QLatin1String("10.2"))
        return QStringLiteral("6R73");
    return QStringLiteral("7W98");
}

QList<SimProcess> MachineState::processTable() const
{
    QList<SimProcess> table = processes;
    for (const SimLogin& login : logins) {
        table.append({login.user, login.loginwindowPid, loginwindowCommand});
        if (login.finderPid != 0)
            table.append({login.user, login.finderPid, finderCommand});
    }
    std::stable_sort(table.begin(), table.end(), [](const SimProcess& a, const SimProcess& b) { return a.pid < b.pid; });
    return table;
}

QString MachineState::crontab(const QString& user) const
{
    if (isRoot(user))
        return QString::fromUtf8(SimFileSystem::read(rootCrontabPath()).value_or(QByteArray()));
    return crontabs.value(user);
}

bool MachineState::hasCrontab(const QString& user) const
{
    return isRoot(user) ? SimFileSystem::exists(rootCrontabPath()) : crontabs.contains(user);
}

bool MachineState::setCrontab(const QString& user, const QString& text)
{
    if (!isRoot(user)) {
        crontabs.insert(user, text);
        return true;
    }
    return SimFileSystem::makeFolders(SystemPaths::cronTabsFolder) && SimFileSystem::write(rootCrontabPath(), text.toUtf8());
}

void MachineState::setUserProperty(const QString& name, const QString& key, const QString& value)
{
    SimAccount* account = findAccount(name);
    if (!account)
        return;
    const bool wasLocked = isLocked(account->record);
    account->record.set(key, value);
    noteLockChange(name, wasLocked);
}

void MachineState::destroyUserProperty(const QString& name, const QString& key)
{
    SimAccount* account = findAccount(name);
    if (!account)
        return;
    const bool wasLocked = isLocked(account->record);
    account->record.remove(key);
    noteLockChange(name, wasLocked);
}

void MachineState::noteLockChange(const QString& name, bool wasLocked)
{
    const bool locked = isLocked(findAccount(name)->record);
    if (locked != wasLocked)
        note((locked ? QStringLiteral("account locked: ") : QStringLiteral("account restored: ")) + name);
}

void MachineState::endLogin(const QString& name)
{
    logins.removeIf([&](const SimLogin& login) { return login.user == name; });
    if (front == FrontKind::User && frontUser == name) {
        front = FrontKind::LoginWindow;
        frontUser.clear();
    }
    note(QStringLiteral("user logged out: ") + name);
}

void MachineState::switchOutFront()
{
    if (suspendsToIgnore > 0) {
        --suspendsToIgnore;
        return;
    }
    if (front != FrontKind::User)
        return;
    note(QStringLiteral("user switched out: ") + frontUser);
    front = FrontKind::LoginWindow;
    frontUser.clear();
}

void MachineState::setPower(PowerState state)
{
    power = state;
    if (state == PowerState::ShutDown || state == PowerState::Restarting) {
        logins.clear();
        front = FrontKind::LoginWindow;
        frontUser.clear();
    }
    if (state != PowerState::Awake)
        note(QStringLiteral("machine ") + powerStateName(state));
}

bool MachineState::closeApplication(const QString& user, const QString& application)
{
    SimLogin* login = findLogin(user);
    if (!login || !login->applications.removeOne(application))
        return false;
    if (application == QLatin1String("Finder"))
        login->finderPid = 0;
    if (login->frontApplication == application)
        login->frontApplication = login->applications.isEmpty() ? QString() : login->applications.constFirst();
    note(QStringLiteral("application closed: %1 (%2)").arg(application, user));
    return true;
}

void MachineState::openApplication(const QString& path, const QString& event)
{
    SimLogin* login = frontLogin();
    const QString user = login ? login->user : QString();
    openedApplications.append({Clock::now(), path, user});
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.endsWith(QLatin1String(".app")))
        name.chop(4);
    if (login && !login->applications.contains(name))
        login->applications.append(name);
    note(user.isEmpty() ? event : event + QStringLiteral(": ") + user);
}

int MachineState::killAgents()
{
    return static_cast<int>(processes.removeIf([](const SimProcess& p) {
        const QString program = p.command.section(QLatin1Char(' '), 0, 0);
        return program.section(QLatin1Char('/'), -1) == QLatin1String("NightfoldAgent");
    }));
}

void MachineState::note(const QString& text) { events.append({Clock::now(), text}); }

QString powerStateName(PowerState state)
{
    switch (state) {
    case PowerState::Awake: return QStringLiteral("awake");
    case PowerState::Asleep: return QStringLiteral("asleep");
    case PowerState::ShutDown: return QStringLiteral("shut down");
    case PowerState::Restarting: return QStringLiteral("restarting");
    }
    return {};
}

QString frontKindName(FrontKind kind)
{
    switch (kind) {
    case FrontKind::LoginWindow: return QStringLiteral("login window");
    case FrontKind::User: return QStringLiteral("user");
    case FrontKind::AuthDialog: return QStringLiteral("auth dialog");
    case FrontKind::NoDesktop: return QStringLiteral("no desktop");
    }
    return {};
}
