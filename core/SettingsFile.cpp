#include "AppDebugLog.h"
#include "AuthorizationShell.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "GetUsers.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "SettingsStream.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryFile>
#include <optional>
#include <utility>

namespace {
// A schedule record after its action text: four flags, a time, a flag, two
// times, a flag and the hours.
constexpr qsizetype kScheduleBytesAfterAction = 4 + 8 + 1 + 8 + 8 + 1 + 8;

bool g_damaged = false;
bool g_readBefore = false;

// Case-blind equal names fold to the same text, so a hash finds them.
QString folded(const QString& name) { return name.toCaseFolded(); }

// The managed users by folded name, the first of equal names winning, so that
// reading stays linear in the number of users.
class UserIndex {
public:
    UserIndex()
    {
        for (int i = 1; i <= Globals::userCount(); ++i)
            add(Globals::Users[i]);
    }
    std::shared_ptr<NightfoldUser> find(const QString& name) const { return m_users.value(folded(name)); }
    void add(const std::shared_ptr<NightfoldUser>& user)
    {
        const QString key = folded(user->Name);
        if (!m_users.contains(key))
            m_users.insert(key, user);
    }

private:
    QHash<QString, std::shared_ptr<NightfoldUser>> m_users;
};

void loadAccounts()
{
    QList<std::shared_ptr<UserClass>> accounts;
    GetUsers().FetchStandardUsers(accounts);
    UserIndex index;
    for (const auto& account : accounts) {
        if (auto existing = index.find(account->Name)) {
            existing->constructFrom(*account);
        } else {
            Globals::Users.append(std::make_shared<NightfoldUser>(*account));
            index.add(Globals::Users.last());
        }
    }
}

void readState(SettingsReader& reader, bool replaceStore)
{
    // A repeated read (discarded changes) replaces what the store holds.
    if (replaceStore)
        EasyPrefs::clear();

    const int prefCount = reader.readCount();
    for (int i = 0; i < prefCount; ++i) {
        const QString name = reader.readText();
        const QString value = reader.readText();
        EasyPrefs::prefNames.append(name);
        EasyPrefs::prefItems.append(value);
    }
    const UserIndex index;
    const int userCount = reader.readCount();
    for (int i = 0; i < userCount; ++i) {
        const QString name = reader.readText();
        if (auto user = index.find(name))
            user->Load(reader);
        else
            NightfoldUser().Load(reader);  // an account gone from the directory: read past it
        if (reader.damaged())
            throw DamagedFileError(QStringLiteral("damaged record of \"%1\"").arg(name));
    }
}

// The whole file in memory: written in one go, a short write cannot pass unseen.
QByteArray encodedState()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SettingsWriter stream(buffer);
    stream.writeNumber(EasyPrefs::count());
    for (int i = 1; i <= EasyPrefs::count(); ++i) {
        Methods::WriteString(stream, EasyPrefs::prefNames[i]);
        Methods::WriteString(stream, EasyPrefs::prefItems[i]);
    }
    stream.writeNumber(Globals::userCount());
    for (int i = 1; i <= Globals::userCount(); ++i)
        Globals::Users[i]->Save(stream);
    return buffer.data();
}

void writeWhole(QFileDevice& file, const QByteArray& bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

const QString& damagedCopy()
{
    static const QString path = SystemPaths::settingsFile + QStringLiteral(".damaged");
    return path;
}

void logKeptAside(bool kept)
{
    App::DebugLog(kept ? QStringLiteral("The settings file was damaged; a copy was kept as ") + damagedCopy()
                       : QStringLiteral("The settings file was damaged; no copy could be kept as ") + damagedCopy());
}

// The first write after reading a damaged file keeps that file for the
// administrator; later writes go over a sound file.
void keepDamagedFileAside()
{
    if (!g_damaged)
        return;
    g_damaged = false;
    QFile::remove(SystemPaths::resolve(damagedCopy()));
    logKeptAside(QFile::copy(SystemPaths::resolve(SystemPaths::settingsFile), SystemPaths::resolve(damagedCopy())));
}

void writeInPlace()
{
    keepDamagedFileAside();
    const QByteArray bytes = encodedState();
    // Unbuffered: a buffered save file can commit a short file when the disk is
    // full. Left without commit, the save file is discarded.
    QSaveFile file(SystemPaths::resolve(SystemPaths::settingsFile));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot create the settings file: ") + file.errorString());
    writeWhole(file, bytes);
    if (!file.commit())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot write the settings file: ") + file.errorString());
}

// What only the agent writes: the minutes it counted and a pending log-out.
struct AgentOwnedState {
    QHash<QString, QPair<int, int>> usage;  // folded name -> (activeMinutes, activeDay)
    std::optional<QString> justLoggedOut;
};

// Reads as much of the current file as is sound; a damaged rest is ignored.
AgentOwnedState readAgentOwnedState()
{
    AgentOwnedState state;
    QFile file(SystemPaths::resolve(SystemPaths::settingsFile));
    if (!file.open(QIODevice::ReadOnly))
        return state;
    SettingsReader reader(file.readAll());
    try {
        const int prefCount = reader.readCount();
        for (int i = 0; i < prefCount; ++i) {
            const QString name = reader.readText();
            const QString value = reader.readText();
            if (!state.justLoggedOut && TextCompare::same(name, QStringLiteral("justLoggedOut")))
                state.justLoggedOut = value;
        }
        const int userCount = reader.readCount();
        for (int i = 0; i < userCount; ++i) {
            const QString name = folded(reader.readText());
            const int minutes = reader.readInteger();
            const int day = reader.readByte();
            state.usage.insert(name, {minutes, day});
            for (int s = 0; s < 3; ++s) {
                reader.readText();
                reader.skip(kScheduleBytesAfterAction);
            }
        }
    } catch (const DamagedFileError&) {
        // Whatever was read before the damage still counts.
    }
    return state;
}

void adoptAgentOwnedState()
{
    const AgentOwnedState state = readAgentOwnedState();
    for (int i = 1; i <= Globals::userCount(); ++i) {
        const auto found = state.usage.constFind(folded(Globals::Users[i]->Name));
        if (found != state.usage.constEnd()) {
            Globals::Users[i]->activeMinutes = found->first;
            Globals::Users[i]->activeDay = found->second;
        }
    }
    if (state.justLoggedOut)
        EasyPrefs::SetPrefString(QStringLiteral("justLoggedOut"), *state.justLoggedOut);
}

// A new private file (unique name, mode 0600, created exclusively) that the
// superuser copies over the settings file; it is removed when this returns.
bool writeThroughPrivilegedCopy()
{
    adoptAgentOwnedState();
    QTemporaryFile temporary(SystemPaths::resolve(SystemPaths::temporaryFolder()) + QStringLiteral("/nightfold.conf.XXXXXX"));
    if (!temporary.open())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot create a temporary file: ") + temporary.errorString());
    writeWhole(temporary, encodedState());
    // Created private and complete; only now readable, so that a copy that
    // creates /etc/nightfold.conf anew leaves it readable to the application.
    temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temporary.close();

    auto runner = Authorization::newShell();
    runner->Assign(Globals::savedAuthorization);
    if (g_damaged) {
        // A refused copy leaves the damaged file in place: try again at the next save.
        g_damaged = !runner->Run(QStringLiteral("/bin/cp"), true, {QStringLiteral("-f"), SystemPaths::settingsFile, damagedCopy()});
        logKeptAside(!g_damaged);
    }
    return runner->Run(QStringLiteral("/bin/cp"), true,
                       {QStringLiteral("-f"), SystemPaths::toSystemPath(temporary.fileName()), SystemPaths::settingsFile});
}
}  // namespace

namespace Methods {
void ReadPrefs()
{
    handled("Methods.ReadPrefs", [] {
        const bool readBefore = std::exchange(g_readBefore, true);
        loadAccounts();
        QFile file(SystemPaths::resolve(SystemPaths::settingsFile));
        if (!file.exists() || !file.open(QIODevice::ReadOnly))
            return;
        SettingsReader reader(file.readAll());
        file.close();
        try {
            readState(reader, readBefore);
        } catch (...) {
            g_damaged = g_damaged || reader.damaged();
            throw;
        }
    });
}

bool SaveSettings(bool direct)
{
    return handledOr(false, "Methods.SaveSettings", [direct] {
        if (program() == Program::SettingsApplication)
            killAgents();
        if (direct) {
            writeInPlace();
            return true;
        }
        return writeThroughPrivilegedCopy();
    });
}

bool SavePrefs()
{
    return handledOr(false, "Methods.SavePrefs", [] { return SaveSettings(false); });
}

void WriteString(SettingsWriter& stream, const QString& text)
{
    handled("Methods.WriteString", [&] { stream.writeText(text); });
}

void WriteBoolean(SettingsWriter& stream, bool value)
{
    handled("Methods.WriteBoolean", [&] { stream.writeFlag(value); });
}

bool settingsFileDamaged() { return g_damaged; }

void resetSettingsFileState()
{
    g_damaged = false;
    g_readBefore = false;
}

void killAgents()
{
    auto runner = Authorization::newShell();
    runner->Assign(Globals::savedAuthorization);
    runner->Run(QStringLiteral("/usr/bin/killall"), true, {QStringLiteral("NightfoldAgent")});
}
}  // namespace Methods
