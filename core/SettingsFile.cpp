#include "AppDebugLog.h"
#include "AuthorizationShell.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "GetUsers.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SettingsStream.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryFile>
#include <optional>

namespace {
// Smallest possible encodings, to refuse counts the file cannot hold.
constexpr qsizetype kMinimumPrefBytes = 16;
constexpr qsizetype kMinimumUserRecordBytes = 8 + 8 + 1 + 3 * 46;

bool g_damaged = false;
bool g_keptAside = false;
bool g_readBefore = false;

std::shared_ptr<NightfoldUser> findUser(const QString& name)
{
    for (qsizetype i = 1; i < Globals::Users.size(); ++i) {
        if (TextCompare::same(Globals::Users[i]->Name, name))
            return Globals::Users[i];
    }
    return nullptr;
}

void loadAccounts()
{
    QList<std::shared_ptr<UserClass>> accounts;
    GetUsers().FetchStandardUsers(accounts);
    for (const auto& account : accounts) {
        if (auto existing = findUser(account->Name))
            existing->constructFrom(*account);
        else
            Globals::Users.append(std::make_shared<NightfoldUser>(*account));
    }
}

void readState(SettingsReader& reader)
{
    // A repeated read (discarded changes) replaces what the store holds.
    if (g_readBefore)
        EasyPrefs::clear();
    g_readBefore = true;

    const int prefCount = reader.readCount(kMinimumPrefBytes);
    for (int i = 0; i < prefCount; ++i) {
        const QString name = reader.readText();
        const QString value = reader.readText();
        EasyPrefs::prefNames.append(name);
        EasyPrefs::prefItems.append(value);
    }
    const int userCount = reader.readCount(kMinimumUserRecordBytes);
    for (int i = 0; i < userCount; ++i) {
        const QString name = reader.readText();
        if (auto user = findUser(name))
            user->Load(reader);
        else
            NightfoldUser().Load(reader);  // an account gone from the directory: read past it
        if (reader.damaged())
            throw DamagedFileError(QStringLiteral("damaged record of \"%1\"").arg(name));
    }
}

void writeState(QIODevice& device)
{
    SettingsWriter stream(device);
    stream.writeNumber(EasyPrefs::count());
    for (int i = 1; i <= EasyPrefs::count(); ++i) {
        Methods::WriteString(stream, EasyPrefs::prefNames[i]);
        Methods::WriteString(stream, EasyPrefs::prefItems[i]);
    }
    stream.writeNumber(Globals::userCount());
    for (int i = 1; i <= Globals::userCount(); ++i)
        Globals::Users[i]->Save(stream);
}

// Keeps a damaged file for the administrator before the first write over it.
void keepDamagedFileAside()
{
    if (!g_damaged || g_keptAside)
        return;
    g_keptAside = true;
    const QString damagedCopy = SystemPaths::settingsFile + QStringLiteral(".damaged");
    QFile::remove(SystemPaths::resolve(damagedCopy));
    if (QFile::copy(SystemPaths::resolve(SystemPaths::settingsFile), SystemPaths::resolve(damagedCopy)))
        App::DebugLog(QStringLiteral("The settings file was damaged; a copy was kept as ") + damagedCopy);
}

QByteArray encodedState()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeState(buffer);
    return buffer.data();
}

// A QSaveFile commits even when bytes it buffered could not be written (a full
// disk, a size limit), which would put a cut file in place of a sound one: the
// whole file goes in one write, and the write and the flush are checked first.
void writeInPlace()
{
    keepDamagedFileAside();
    const QByteArray bytes = encodedState();
    QSaveFile file(SystemPaths::resolve(SystemPaths::settingsFile));
    if (!file.open(QIODevice::WriteOnly))
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot create the settings file: ") + file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot write the settings file: ") + error);
    }
    if (!file.commit())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot write the settings file: ") + file.errorString());
}

// What only the agent writes: the minutes it counted and a pending log-out.
struct AgentOwnedState {
    QHash<QString, QPair<int, int>> usage;  // folded name -> (activeMinutes, activeDay)
    std::optional<QString> justLoggedOut;
};

AgentOwnedState readAgentOwnedState()
{
    AgentOwnedState state;
    QFile file(SystemPaths::resolve(SystemPaths::settingsFile));
    if (!file.open(QIODevice::ReadOnly))
        return state;
    SettingsReader reader(file.readAll());
    try {
        const int prefCount = reader.readCount(kMinimumPrefBytes);
        for (int i = 0; i < prefCount; ++i) {
            const QString name = reader.readText();
            const QString value = reader.readText();
            if (!state.justLoggedOut && TextCompare::same(name, QStringLiteral("justLoggedOut")))
                state.justLoggedOut = value;
        }
        const int userCount = reader.readCount(kMinimumUserRecordBytes);
        for (int i = 0; i < userCount && !reader.damaged(); ++i) {
            const QString name = reader.readText().toCaseFolded();
            const int minutes = reader.readInteger();
            const int day = reader.readByte();
            state.usage.insert(name, {minutes, day});
            Schedule skipped;
            for (int s = 0; s < 3; ++s)
                skipped.Load(reader);
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
        const auto found = state.usage.constFind(Globals::Users[i]->Name.toCaseFolded());
        if (found != state.usage.constEnd()) {
            Globals::Users[i]->activeMinutes = found->first;
            Globals::Users[i]->activeDay = found->second;
        }
    }
    if (state.justLoggedOut)
        EasyPrefs::SetPrefString(QStringLiteral("justLoggedOut"), *state.justLoggedOut);
}

bool writeThroughPrivilegedCopy()
{
    adoptAgentOwnedState();
    // A new private file: unique name, mode 0600, created exclusively.
    QTemporaryFile temporary(SystemPaths::resolve(SystemPaths::temporaryFolder()) + QStringLiteral("/nightfold.conf.XXXXXX"));
    if (!temporary.open())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot create a temporary file: ") + temporary.errorString());
    writeState(temporary);
    if (!temporary.flush())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot write a temporary file: ") + temporary.errorString());
    temporary.close();
    auto runner = Authorization::newShell();
    runner->Assign(Globals::savedAuthorization);
    return runner->Run(QStringLiteral("/bin/cp"), true,
                       {QStringLiteral("-f"), SystemPaths::toSystemPath(temporary.fileName()), SystemPaths::settingsFile});
}
}  // namespace

namespace Methods {
void ReadPrefs()
{
    handled("Methods.ReadPrefs", [] {
        loadAccounts();
        QFile file(SystemPaths::resolve(SystemPaths::settingsFile));
        if (!file.exists() || !file.open(QIODevice::ReadOnly))
            return;
        SettingsReader reader(file.readAll());
        file.close();
        try {
            readState(reader);
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
    g_keptAside = false;
    g_readBefore = false;
}

void killAgents()
{
    auto runner = Authorization::newShell();
    runner->Assign(Globals::savedAuthorization);
    runner->Run(QStringLiteral("/usr/bin/killall"), true, {QStringLiteral("NightfoldAgent")});
}
}  // namespace Methods
