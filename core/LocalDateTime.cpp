#include "LocalDateTime.h"

#include <QDateTime>
#include <cmath>

namespace {
constexpr qint64 kSecondsPerDay = 86400;
// About ±7 million years: far outside any real date, far inside qint64 and QDate.
constexpr double kLimit = 2.0e14;

QDate epochDate() { return QDate(1904, 1, 1); }

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
}  // namespace

LocalDateTime LocalDateTime::fromStoredSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return LocalDateTime();
    if (seconds > kLimit)
        seconds = kLimit;
    if (seconds < -kLimit)
        seconds = -kLimit;
    return LocalDateTime(static_cast<qint64>(std::trunc(seconds)));
}

LocalDateTime LocalDateTime::fromDateAndTime(const QDate& date, const QTime& time)
{
    const qint64 days = epochDate().daysTo(date);
    return LocalDateTime(days * kSecondsPerDay + QTime(0, 0).secsTo(time));
}

LocalDateTime LocalDateTime::fromParts(int year, int month, int day, int hour, int minute, int second)
{
    return fromDateAndTime(QDate(year, month, day), QTime(hour, minute, second));
}

LocalDateTime LocalDateTime::currentSystemTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return fromDateAndTime(now.date(), now.time());
}

qint64 LocalDateTime::dayNumber() const { return floorDiv(m_seconds, kSecondsPerDay); }

int LocalDateTime::secondOfDay() const { return static_cast<int>(m_seconds - dayNumber() * kSecondsPerDay); }

QDate LocalDateTime::date() const { return epochDate().addDays(dayNumber()); }

int LocalDateTime::hour() const { return secondOfDay() / 3600; }

int LocalDateTime::minute() const { return (secondOfDay() / 60) % 60; }

int LocalDateTime::second() const { return secondOfDay() % 60; }

int LocalDateTime::dayOfWeek() const { return date().dayOfWeek() % 7 + 1; }

LocalDateTime LocalDateTime::addSeconds(qint64 seconds) const { return LocalDateTime(m_seconds + seconds); }

LocalDateTime LocalDateTime::withSecondsZeroed() const { return LocalDateTime(m_seconds - second()); }

QString LocalDateTime::dateText() const { return date().toString(Qt::ISODate); }

QString LocalDateTime::timeText() const
{
    return QStringLiteral("%1:%2:%3")
        .arg(hour(), 2, 10, QLatin1Char('0'))
        .arg(minute(), 2, 10, QLatin1Char('0'))
        .arg(second(), 2, 10, QLatin1Char('0'));
}
