#pragma once

#include "LocalDateTime.h"

#include <QString>
#include <array>

// One line of a crontab. Entries are written back in the standard field order
// with tabs between the parts; comment-like lines (#, ;, @, //, \\) come back
// as read, trimmed. A line that fits neither form (NAME=value, several blanks
// between fields, extra tab fields, odd characters in a time field) is written
// back exactly as read for as long as its parts are left unchanged.
class ScheduledTask {
public:
    ScheduledTask();  // a new entry: every time field "*", no command
    explicit ScheduledTask(const QString& line);

    QString Command;
    QString Minute;
    QString Hour;
    QString DayOfMonth;
    QString DayOfWeek;
    QString Month;
    bool isComment = false;
    QString commentString;

    // The line as written to the crontab, line feed included.
    QString Text() const;
    void RunNow();
    // Every time field back to "*" and no command; the comment marks stay.
    void Clear();
    // The entry names one moment of the current year that has passed.
    bool Outdated() const;
    void readDate(const LocalDateTime& date, bool timeOnly);
    LocalDateTime getDate() const;
    void Activate();
    void CommentOut();

    // The line model alone, free of any I/O: one crontab line (without its
    // line feed) in, the text a save writes for it out.
    static QString rewrittenLine(const QString& line);

private:
    // Minute, Hour, DayOfMonth, Month, DayOfWeek, Command: the file order.
    using Parts = std::array<QString, 6>;

    Parts parts() const;
    void setParts(const Parts& parts);
    void parse(const QString& line);

    // Set for a line outside the model: what was read, and its parts then.
    QString m_lineAsRead;
    Parts m_partsAsRead;
};
