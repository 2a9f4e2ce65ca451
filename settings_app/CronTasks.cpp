#include "CronTasks.h"

#include "AuthorizationShell.h"
#include "CommandRunner.h"
#include "RuntimeError.h"
#include "StringStuff.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QFile>
#include <QTemporaryFile>
#include <algorithm>

namespace {
QString runCrontabTool(const QString& commandLine)
{
    auto runner = CommandRunner::create();
    runner->Execute(commandLine);
    const QString output = runner->Result();
    runner->Close();
    return output;
}

// A name that needs no quoting on a command line and names a file inside the
// crontab folder (no "/", not "." or "..").
bool isPlainAccountName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'.'
            || c == u'_' || c == u'-';
    });
}

bool isBlankLine(const QString& line)
{
    return std::all_of(line.begin(), line.end(),
                       [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; });
}

// The crontab tool's answer for a user without a crontab: "no crontab for
// NAME", on some systems after "crontab: ". No crontab line starts that way.
bool isNoCrontabMessage(const QString& line)
{
    const QString trimmed = line.trimmed();
    const qsizetype at = TextCompare::indexOf(trimmed, QStringLiteral("no crontab"));
    return at == 0 || (at > 0 && TextCompare::same(trimmed.left(at).trimmed(), QStringLiteral("crontab:")));
}

QString commandOf(const std::shared_ptr<ScheduledTask>& task) { return task ? task->Command : QString(); }

bool containsEvery(const QString& command, const QStringList& keywords)
{
    return std::all_of(keywords.begin(), keywords.end(),
                       [&](const QString& keyword) { return TextCompare::contains(command, keyword); });
}
}  // namespace

CronTasks::CronTasks() : CronTasks(QString(), false, 0) {}

CronTasks::CronTasks(const QString& user, bool authenticate, qint64 authorization) : User(user)
{
    try {
        const std::optional<QString> text = readText(authenticate, authorization);
        if (!text)
            return;
        addLines(*text, !Authenticate);
        m_read = true;
    } catch (...) {
        // Ends silently; a crontab not read whole is never written back.
    }
}

CronTasks::~CronTasks()
{
    // An authorization the privileged runner had to create for this crontab
    // goes with it; the caller's own stays the caller's.
    if (m_createdAuthorization == 0)
        return;
    try {
        Authorization::services().freeAuthorization(m_createdAuthorization);
    } catch (...) {
    }
}

std::optional<QString> CronTasks::readText(bool authenticate, qint64 authorization)
{
    if (User.isEmpty())
        return runCrontabTool(QStringLiteral("crontab -l"));
    if (!authenticate)
        return runCrontabTool(QStringLiteral("crontab -u ") + userArgument() + QStringLiteral(" -l"));
    Authenticate = true;
    if (!isPlainAccountName(User))
        return std::nullopt;
    auto privileged = Authorization::newShell();
    privileged->Assign(authorization);
    const bool ran = privileged->Run(QStringLiteral("/bin/cat"), true, {crontabFile()});
    currentAuthorization = privileged->Retrieve();
    if (currentAuthorization != authorization)
        m_createdAuthorization = currentAuthorization;
    if (!ran)
        return std::nullopt;
    return privileged->Result();
}

void CronTasks::addLines(QString text, bool fromTool)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n');
    for (const QString& line : lines) {
        if (isBlankLine(line) || (fromTool && isNoCrontabMessage(line)))
            continue;
        Tasks.append(std::make_shared<ScheduledTask>(line));
    }
}

QString CronTasks::text() const
{
    QString written;
    for (const auto& task : Tasks) {
        if (task)
            written += task->Text();
    }
    return written;
}

void CronTasks::SaveChanges()
{
    // Writing back what could not be read would replace the crontab with a
    // part of it, or with nothing.
    if (!m_read)
        return;
    try {
        // A new private file (unique name, mode 0600, created exclusively): a
        // file planted under a known name never reaches the crontab.
        QTemporaryFile temporary(SystemPaths::resolve(SystemPaths::temporaryFolder()) + QStringLiteral("/crontab.XXXXXX"));
        if (!temporary.open())
            return;
        const QByteArray bytes = text().toUtf8();
        if (temporary.write(bytes) != bytes.size() || !temporary.flush())
            return;
        temporary.close();
        install(SystemPaths::toSystemPath(temporary.fileName()));
        temporary.remove();
    } catch (...) {
        // Ends silently; the temporary file goes with its object.
    }
}

void CronTasks::install(const QString& systemPath)
{
    if (User.isEmpty()) {
        runCrontabTool(QStringLiteral("crontab ") + StringStuff::Quote(systemPath));
        return;
    }
    if (!Authenticate) {
        runCrontabTool(QStringLiteral("crontab -u ") + userArgument() + QLatin1Char(' ') + StringStuff::Quote(systemPath));
        return;
    }
    auto privileged = Authorization::newShell();
    privileged->Assign(currentAuthorization);
    privileged->Run(QStringLiteral("/bin/cp"), true, {systemPath, crontabFile()});
    // The folder's modification time tells cron that a crontab changed.
    privileged->Run(QStringLiteral("/usr/bin/touch"), true, {SystemPaths::cronTabsFolder + QLatin1Char('/')});
}

QString CronTasks::userArgument() const { return isPlainAccountName(User) ? User : StringStuff::Quote(User); }

QString CronTasks::crontabFile() const { return SystemPaths::cronTabsFolder + QLatin1Char('/') + User; }

void CronTasks::Add(std::shared_ptr<ScheduledTask> task)
{
    if (task)
        Tasks.append(std::move(task));
}

bool CronTasks::Search(std::shared_ptr<ScheduledTask>& found, const QStringList& keywords) const
{
    for (const auto& task : Tasks) {
        if (containsEvery(commandOf(task), keywords)) {
            found = task;
            return true;
        }
    }
    return false;
}

void CronTasks::Delete(const ScheduledTask& task)
{
    // A copy: task may be one of the lines about to go.
    const QString command = task.Command;
    Tasks.removeIf([&](const auto& line) { return TextCompare::same(commandOf(line), command); });
}

void CronTasks::Clean(const QStringList& keywords)
{
    Tasks.removeIf([&](const auto& line) { return containsEvery(commandOf(line), keywords); });
}

void CronTasks::SaveTo(const QString& file) const
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot create %1: %2").arg(file, out.errorString()));
    const QByteArray bytes = text().toUtf8();
    if (out.write(bytes) != bytes.size() || !out.flush())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot write %1: %2").arg(file, out.errorString()));
}
