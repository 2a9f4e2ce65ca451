#include "MachineJson.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace {
const QString formatName = QStringLiteral("nightfold-sim machine 1");

// A fault in the file, raised while reading and turned into the message.
struct Malformed {
    QString what;
};

QString momentText(const LocalDateTime& at) { return at.toText(); }

LocalDateTime momentFrom(const QJsonValue& value, const QString& where)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})$"));
    const auto match = form.match(value.toString());
    if (!value.isString() || !match.hasMatch())
        throw Malformed{where + QStringLiteral(" is not a time \"YYYY-MM-DD HH:MM:SS\"")};
    const auto part = [&](int i) { return match.captured(i).toInt(); };
    if (!QDate(part(1), part(2), part(3)).isValid() || part(4) > 23 || part(5) > 59 || part(6) > 59)
        throw Malformed{where + QStringLiteral(" is no real date and time")};
    return LocalDateTime::fromParts(part(1), part(2), part(3), part(4), part(5), part(6));
}

QJsonArray recordToJson(const AccountRecord& record)
{
    QJsonArray pairs;
    for (const auto& [key, value] : record.entries())
        pairs.append(QJsonArray{key, value});
    return pairs;
}

QJsonObject mapToJson(const QMap<QString, QString>& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QJsonObject toJson(const MachineState& s)
{
    QJsonArray accounts;
    for (const SimAccount& account : s.accounts)
        accounts.append(QJsonObject{{QStringLiteral("id"), account.directoryId}, {QStringLiteral("record"), recordToJson(account.record)}});
    QJsonArray logins;
    for (const SimLogin& login : s.logins)
        logins.append(QJsonObject{{QStringLiteral("user"), login.user},
                                  {QStringLiteral("loginwindowPid"), login.loginwindowPid},
                                  {QStringLiteral("finderPid"), login.finderPid},
                                  {QStringLiteral("since"), momentText(login.since)},
                                  {QStringLiteral("applications"), QJsonArray::fromStringList(login.applications)},
                                  {QStringLiteral("frontApplication"), login.frontApplication}});
    QJsonArray processes;
    for (const SimProcess& p : s.processes)
        processes.append(QJsonObject{{QStringLiteral("user"), p.user},
                                     {QStringLiteral("pid"), p.pid},
                                     {QStringLiteral("command"), p.command},
                                     {QStringLiteral("priority"), p.priority}});
    QJsonArray opened;
    for (const OpenedApplication& o : s.openedApplications)
        opened.append(QJsonObject{{QStringLiteral("at"), momentText(o.at)}, {QStringLiteral("path"), o.path}, {QStringLiteral("user"), o.user}});
    QJsonArray events;
    for (const MachineEvent& e : s.events)
        events.append(QJsonObject{{QStringLiteral("at"), momentText(e.at)}, {QStringLiteral("text"), e.text}});
    return QJsonObject{{QStringLiteral("format"), formatName},
                       {QStringLiteral("osVersion"), s.osVersion},
                       {QStringLiteral("power"), powerStateName(s.power)},
                       {QStringLiteral("front"), frontKindName(s.front)},
                       {QStringLiteral("frontUser"), s.frontUser},
                       {QStringLiteral("cgsessionPresent"), s.cgsessionPresent},
                       {QStringLiteral("accounts"), accounts},
                       {QStringLiteral("adminGroup"), recordToJson(s.adminGroup)},
                       {QStringLiteral("logins"), logins},
                       {QStringLiteral("processes"), processes},
                       {QStringLiteral("nextPid"), s.nextPid},
                       {QStringLiteral("crontabs"), mapToJson(s.crontabs)},
                       {QStringLiteral("openedApplications"), opened},
                       {QStringLiteral("fileModes"), mapToJson(s.fileModes)},
                       {QStringLiteral("fileOwners"), mapToJson(s.fileOwners)},
                       {QStringLiteral("suspendsToIgnore"), s.suspendsToIgnore},
                       {QStringLiteral("events"), events}};
}

// Readers that insist on the kind of each value.
QString text(const QJsonValue& v, const QString& where)
{
    if (!v.isString())
        throw Malformed{where + QStringLiteral(" must be a text")};
    return v.toString();
}

int integer(const QJsonValue& v, const QString& where)
{
    const double d = v.toDouble(0.5);
    if (!v.isDouble() || d < -1e9 || d > 1e9 || d != static_cast<double>(static_cast<int>(d)))
        throw Malformed{where + QStringLiteral(" must be a whole number")};
    return static_cast<int>(d);
}

QJsonArray array(const QJsonValue& v, const QString& where)
{
    if (!v.isArray())
        throw Malformed{where + QStringLiteral(" must be an array")};
    return v.toArray();
}

QStringList textList(const QJsonValue& v, const QString& where)
{
    QStringList texts;
    for (const QJsonValue& item : array(v, where))
        texts.append(text(item, where));
    return texts;
}

QJsonObject object(const QJsonValue& v, const QString& where)
{
    if (!v.isObject())
        throw Malformed{where + QStringLiteral(" must be an object")};
    return v.toObject();
}

// Missing optional members keep the state's own value.
template <typename Reader, typename Target>
void optional(const QJsonObject& o, const char* key, Target& target, Reader read)
{
    const QString name = QLatin1String(key);
    if (o.contains(name))
        target = read(o.value(name), name);
}

AccountRecord recordFrom(const QJsonValue& v, const QString& where)
{
    AccountRecord record;
    const QJsonArray pairs = array(v, where);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const QString at = QStringLiteral("%1[%2]").arg(where).arg(i);
        const QJsonArray pair = array(pairs[i], at);
        if (pair.size() != 2)
            throw Malformed{at + QStringLiteral(" must be a [key, value] pair")};
        const QString key = text(pair[0], at + QStringLiteral(" key"));
        if (record.has(key))
            throw Malformed{at + QStringLiteral(" repeats the key \"") + key + QLatin1Char('"')};
        record.set(key, text(pair[1], at + QStringLiteral(" value")));
    }
    return record;
}

QMap<QString, QString> mapFrom(const QJsonValue& v, const QString& where)
{
    QMap<QString, QString> map;
    const QJsonObject o = object(v, where);
    for (auto it = o.begin(); it != o.end(); ++it)
        map.insert(it.key(), text(it.value(), where + QLatin1Char('.') + it.key()));
    return map;
}

template <typename Enum>
Enum named(const QJsonValue& v, const QString& where, QString (*nameOf)(Enum), std::initializer_list<Enum> all)
{
    const QString name = text(v, where);
    for (Enum e : all) {
        if (nameOf(e) == name)
            return e;
    }
    throw Malformed{where + QStringLiteral(" has the unknown value \"") + name + QLatin1Char('"')};
}

void readAccounts(MachineState& s, const QJsonValue& v)
{
    const QJsonArray accounts = array(v, QStringLiteral("accounts"));
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        const QString at = QStringLiteral("accounts[%1]").arg(i);
        const QJsonObject o = object(accounts[i], at);
        SimAccount account{integer(o.value(QStringLiteral("id")), at + QStringLiteral(".id")),
                           recordFrom(o.value(QStringLiteral("record")), at + QStringLiteral(".record"))};
        const QString name = account.record.name();
        if (name.isEmpty() || s.findAccount(name))
            throw Malformed{at + QStringLiteral(" needs a \"name\" of its own")};
        s.accounts.append(account);
    }
}

void readLogins(MachineState& s, const QJsonValue& v)
{
    const QJsonArray logins = array(v, QStringLiteral("logins"));
    for (qsizetype i = 0; i < logins.size(); ++i) {
        const QString at = QStringLiteral("logins[%1]").arg(i);
        const QJsonObject o = object(logins[i], at);
        SimLogin login;
        login.user = text(o.value(QStringLiteral("user")), at + QStringLiteral(".user"));
        if (!s.findAccount(login.user) || s.findLogin(login.user))
            throw Malformed{at + QStringLiteral(" is for no account, or a second login of one")};
        login.loginwindowPid = integer(o.value(QStringLiteral("loginwindowPid")), at + QStringLiteral(".loginwindowPid"));
        optional(o, "finderPid", login.finderPid, integer);
        optional(o, "since", login.since, momentFrom);
        optional(o, "applications", login.applications, textList);
        optional(o, "frontApplication", login.frontApplication, text);
        s.logins.append(login);
    }
}

template <typename Item>
QList<Item> listFrom(const QJsonObject& root, const char* key, Item (*read)(const QJsonObject&, const QString&))
{
    QList<Item> items;
    const QString name = QLatin1String(key);
    if (!root.contains(name))
        return items;
    const QJsonArray a = array(root.value(name), name);
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QString at = QStringLiteral("%1[%2]").arg(name).arg(i);
        items.append(read(object(a[i], at), at));
    }
    return items;
}

SimProcess processFrom(const QJsonObject& o, const QString& at)
{
    SimProcess p{text(o.value(QStringLiteral("user")), at + QStringLiteral(".user")), integer(o.value(QStringLiteral("pid")), at + QStringLiteral(".pid")),
                 text(o.value(QStringLiteral("command")), at + QStringLiteral(".command"))};
    optional(o, "priority", p.priority, integer);
    return p;
}

OpenedApplication openedFrom(const QJsonObject& o, const QString& at)
{
    OpenedApplication opened{momentFrom(o.value(QStringLiteral("at")), at + QStringLiteral(".at")),
                             text(o.value(QStringLiteral("path")), at + QStringLiteral(".path")), QString()};
    optional(o, "user", opened.user, text);
    return opened;
}

MachineEvent eventFrom(const QJsonObject& o, const QString& at)
{
    return {momentFrom(o.value(QStringLiteral("at")), at + QStringLiteral(".at")), text(o.value(QStringLiteral("text")), at + QStringLiteral(".text"))};
}

MachineState fromJson(const QJsonObject& root)
{
    MachineState s;
    if (root.value(QStringLiteral("format")) != formatName)
        throw Malformed{QStringLiteral("\"format\" must be \"") + formatName + QLatin1Char('"')};
    optional(root, "osVersion", s.osVersion, text);
    if (s.osVersion != QLatin1String("10.1") && s.osVersion != QLatin1String("10.2") && s.osVersion != QLatin1String("10.3"))
        throw Malformed{QStringLiteral("osVersion must be \"10.1\", \"10.2\" or \"10.3\"")};
    optional(root, "power", s.power, [](const QJsonValue& v, const QString& w) {
        return named(v, w, powerStateName, {PowerState::Awake, PowerState::Asleep, PowerState::ShutDown, PowerState::Restarting});
    });
    optional(root, "front", s.front, [](const QJsonValue& v, const QString& w) {
        return named(v, w, frontKindName, {FrontKind::LoginWindow, FrontKind::User, FrontKind::AuthDialog, FrontKind::NoDesktop});
    });
    optional(root, "frontUser", s.frontUser, text);
    optional(root, "cgsessionPresent", s.cgsessionPresent, [](const QJsonValue& v, const QString& w) {
        if (!v.isBool())
            throw Malformed{w + QStringLiteral(" must be true or false")};
        return v.toBool();
    });
    if (!root.contains(QStringLiteral("accounts")))
        throw Malformed{QStringLiteral("\"accounts\" is missing")};
    readAccounts(s, root.value(QStringLiteral("accounts")));
    optional(root, "adminGroup", s.adminGroup, recordFrom);
    if (root.contains(QStringLiteral("logins")))
        readLogins(s, root.value(QStringLiteral("logins")));
    if (s.front == FrontKind::User && !s.findLogin(s.frontUser))
        throw Malformed{QStringLiteral("front is \"user\" but frontUser has no login")};
    if (s.front != FrontKind::User)
        s.frontUser.clear();
    s.processes = listFrom(root, "processes", processFrom);
    optional(root, "nextPid", s.nextPid, integer);
    for (const SimProcess& p : s.processTable())
        s.nextPid = std::max(s.nextPid, p.pid + 1);
    optional(root, "crontabs", s.crontabs, mapFrom);
    if (s.crontabs.contains(QStringLiteral("root")))
        throw Malformed{QStringLiteral("root's crontab is the file /var/cron/tabs/root below the root folder, not part of \"crontabs\"")};
    s.openedApplications = listFrom(root, "openedApplications", openedFrom);
    optional(root, "fileModes", s.fileModes, mapFrom);
    optional(root, "fileOwners", s.fileOwners, mapFrom);
    optional(root, "suspendsToIgnore", s.suspendsToIgnore, integer);
    s.events = listFrom(root, "events", eventFrom);
    return s;
}

QString fileIn(const QString& folder) { return QDir(folder).filePath(QStringLiteral("machine.json")); }
}  // namespace

namespace MachineJson {
QString save(const MachineState& state, const QString& folder)
{
    const QString path = fileIn(folder);
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    // Checked before the commit, which would otherwise put a cut file in place.
    const QByteArray bytes = QJsonDocument(toJson(state)).toJson(QJsonDocument::Indented);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return QStringLiteral("cannot write %1: %2").arg(path, error);
    }
    if (!file.commit())
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return {};
}

QString load(MachineState& state, const QString& folder)
{
    const QString path = fileIn(folder);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return QStringLiteral("%1 is not valid JSON: %2 at offset %3").arg(path, parseError.errorString()).arg(parseError.offset);
    if (!document.isObject())
        return QStringLiteral("%1 must hold one JSON object").arg(path);
    try {
        state = fromJson(document.object());
    } catch (const Malformed& fault) {
        return QStringLiteral("%1: %2").arg(path, fault.what);
    }
    return {};
}
}  // namespace MachineJson
