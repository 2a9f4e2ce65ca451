#include "ScheduledTask.h"

#include "Clock.h"
#include "CommandRunner.h"

#include <QDate>
#include <QTime>

namespace {
constexpr int kTimeFields = 5;
constexpr int kCommand = kTimeFields;
const QString kAnyValue = QStringLiteral("*");

// Minute, Hour, DayOfMonth, Month, DayOfWeek, Command: the file order.
using LineParts = std::array<QString, 6>;

// cron's own white space.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

QString trimmedLine(const QString& line)
{
    qsizetype first = 0;
    qsizetype end = line.size();
    while (first < end && isBlank(line[first]))
        ++first;
    while (end > first && isBlank(line[end - 1]))
        --end;
    return line.mid(first, end - first);
}

bool isCommentLike(const QString& trimmed)
{
    return trimmed.startsWith(u'#') || trimmed.startsWith(u';') || trimmed.startsWith(u'@')
        || trimmed.startsWith(QLatin1String("//")) || trimmed.startsWith(QLatin1String("\\\\"));
}

QString joined(const LineParts& parts, QChar separator)
{
    QString line = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i)
        line += separator + parts[i];
    return line;
}

// The model's reading: the fields between single tabs when the line has a tab;
// otherwise five fields each up to the next single blank, and the rest.
LineParts splitAsModel(const QString& trimmed)
{
    LineParts parts;
    if (trimmed.contains(u'\t')) {
        const QStringList fields = trimmed.split(u'\t');
        for (std::size_t i = 0; i < parts.size() && qsizetype(i) < fields.size(); ++i)
            parts[i] = fields[qsizetype(i)];
        return parts;
    }
    QString rest = trimmed;
    for (int i = 0; i < kTimeFields; ++i) {
        const qsizetype blank = rest.indexOf(u' ');
        parts[i] = blank < 0 ? rest : rest.left(blank);
        rest = blank < 0 ? QString() : rest.mid(blank + 1);
    }
    parts[kCommand] = rest;
    return parts;
}

// cron's reading: each time field ends at a run of white space, the command
// is everything after the next run.
LineParts splitAsCron(const QString& trimmed)
{
    LineParts parts;
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < trimmed.size() && isBlank(trimmed[at]))
            ++at;
    };
    for (int i = 0; i < kTimeFields; ++i) {
        skipBlanks();
        const qsizetype start = at;
        while (at < trimmed.size() && !isBlank(trimmed[at]))
            ++at;
        parts[i] = trimmed.mid(start, at - start);
    }
    skipBlanks();
    parts[kCommand] = trimmed.mid(at);
    return parts;
}

bool isTimeField(const QString& field)
{
    if (field.isEmpty())
        return false;
    for (const QChar c : field) {
        const bool plain = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!plain && c != u'*' && c != u',' && c != u'-' && c != u'/')
            return false;
    }
    return true;
}

// True when writing the parts with tabs between them tells cron exactly what
// the line did: single separators, plain time fields, a command that neither
// starts nor ends with white space (a trailing blank may belong to it).
bool fitsModel(const QString& line, const QString& trimmed, const LineParts& parts)
{
    for (int i = 0; i < kTimeFields; ++i) {
        if (!isTimeField(parts[i]))
            return false;
    }
    const QString& command = parts[kCommand];
    if (command.isEmpty() || isBlank(command.front()) || isBlank(line.back()))
        return false;
    const QChar separator = trimmed.contains(u'\t') ? u'\t' : u' ';
    return joined(parts, separator) == trimmed;
}

bool isAnyValue(const QString& field) { return field == kAnyValue; }

// The field's leading decimal value, 0 when it has none (bounded, so any text
// gives a date).
int fieldNumber(const QString& field)
{
    int value = 0;
    for (const QChar c : field) {
        if (c < u'0' || c > u'9')
            break;
        value = qMin(value * 10 + (c.unicode() - u'0'), 99999);
    }
    return value;
}
}  // namespace

ScheduledTask::ScheduledTask() { parse(QString()); }

ScheduledTask::ScheduledTask(const QString& line)
{
    const QString trimmed = trimmedLine(line);
    isComment = isCommentLike(trimmed);
    if (isComment)
        commentString = trimmed;
    parse(line);
}

ScheduledTask::Parts ScheduledTask::parts() const { return {Minute, Hour, DayOfMonth, Month, DayOfWeek, Command}; }

void ScheduledTask::setParts(const Parts& parts)
{
    Minute = parts[0];
    Hour = parts[1];
    DayOfMonth = parts[2];
    Month = parts[3];
    DayOfWeek = parts[4];
    Command = parts[kCommand];
}

// Every line, comment-like or not, gets its parts, so that a commented-out
// entry can still be found by its command.
void ScheduledTask::parse(const QString& line)
{
    m_lineAsRead.clear();
    const QString trimmed = trimmedLine(line);
    if (trimmed.isEmpty()) {
        setParts({kAnyValue, kAnyValue, kAnyValue, kAnyValue, kAnyValue, QString()});
        return;
    }
    const Parts asModel = splitAsModel(trimmed);
    if (isCommentLike(trimmed) || fitsModel(line, trimmed, asModel)) {
        setParts(asModel);
        return;
    }
    m_partsAsRead = splitAsCron(trimmed);
    m_lineAsRead = line;
    setParts(m_partsAsRead);
}

QString ScheduledTask::Text() const
{
    if (isComment)
        return commentString + u'\n';
    const Parts current = parts();
    if (!m_lineAsRead.isEmpty() && current == m_partsAsRead)
        return m_lineAsRead + u'\n';
    return joined(current, u'\t') + u'\n';
}

QString ScheduledTask::rewrittenLine(const QString& line) { return ScheduledTask(line).Text(); }

void ScheduledTask::RunNow()
{
    try {
        auto runner = CommandRunner::create();
        runner->Execute(Command);
        runner->Close();
    } catch (...) {
        // Ends silently: nobody waits for the command's outcome.
    }
}

void ScheduledTask::Clear() { parse(QString()); }

bool ScheduledTask::Outdated() const
{
    const int month = fieldNumber(Month);
    const int day = fieldNumber(DayOfMonth);
    if (month == 0 || day == 0 || isAnyValue(Hour) || isAnyValue(Minute))
        return false;
    const LocalDateTime now = Clock::now();
    const int entry[] = {month, day, fieldNumber(Hour), fieldNumber(Minute)};
    const int current[] = {now.month(), now.day(), now.hour(), now.minute()};
    for (int i = 0; i < 4; ++i) {
        if (entry[i] != current[i])
            return entry[i] < current[i];
    }
    return now.second() >= 1;
}

void ScheduledTask::readDate(const LocalDateTime& date, bool timeOnly)
{
    if (!timeOnly) {
        DayOfMonth = QString::number(date.day());
        Month = QString::number(date.month());
    }
    Hour = QString::number(date.hour());
    Minute = QString::number(date.minute());
}

// Fields past their range roll over the way a calendar date does (day 31 of
// month 2 is the third of March).
LocalDateTime ScheduledTask::getDate() const
{
    const LocalDateTime now = Clock::now();
    const auto numberOr = [](const QString& field, int current) {
        return isAnyValue(field) ? current : fieldNumber(field);
    };
    const int month = numberOr(Month, now.month());
    const int day = numberOr(DayOfMonth, now.day());
    const int hour = numberOr(Hour, now.hour());
    const int minute = numberOr(Minute, now.minute());
    const QDate date = QDate(now.year(), 1, 1).addMonths(month - 1).addDays(day - 1);
    return LocalDateTime::fromDateAndTime(date, QTime(0, 0)).addSeconds(qint64(hour) * 3600 + qint64(minute) * 60);
}

void ScheduledTask::Activate()
{
    const QString line = commentString.mid(1);
    *this = ScheduledTask(line);
}

void ScheduledTask::CommentOut()
{
    commentString = QLatin1Char('#') + trimmedLine(Text());
    isComment = true;
}
