#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QtGlobal>

// A local wall-clock moment. Stored as whole seconds from 1904-01-01 00:00:00
// local time, counting every calendar day as 86,400 seconds, so settings files
// written on the classic platform keep their times and DST never shifts a rule.
class LocalDateTime {
public:
    LocalDateTime() = default;  // the epoch

    static LocalDateTime fromStoredSeconds(double seconds);
    static LocalDateTime fromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static LocalDateTime fromDateAndTime(const QDate& date, const QTime& time);
    static LocalDateTime currentSystemTime();

    double storedSeconds() const { return static_cast<double>(m_seconds); }
    qint64 totalSeconds() const { return m_seconds; }

    QDate date() const;
    int year() const { return date().year(); }
    int month() const { return date().month(); }
    int day() const { return date().day(); }
    int hour() const;
    int minute() const;
    int second() const;
    // 1 = Sunday ... 7 = Saturday
    int dayOfWeek() const;

    LocalDateTime addSeconds(qint64 seconds) const;
    LocalDateTime withSecondsZeroed() const;
    bool sameDay(const LocalDateTime& other) const { return dayNumber() == other.dayNumber(); }

    QString dateText() const;  // "2026-12-11"
    QString timeText() const;  // "21:00:00"
    QString toText() const { return dateText() + QLatin1Char(' ') + timeText(); }

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
    friend auto operator<=>(const LocalDateTime&, const LocalDateTime&) = default;

private:
    explicit LocalDateTime(qint64 seconds) : m_seconds(seconds) {}
    qint64 dayNumber() const;
    int secondOfDay() const;

    qint64 m_seconds = 0;
};
