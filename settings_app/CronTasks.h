#pragma once

#include "ScheduledTask.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <optional>

// One user's crontab: read whole, edited in memory, written back whole by
// SaveChanges. The current user's crontab goes through the crontab tool; with
// Authenticate the file in /var/cron/tabs is read and replaced through the
// privileged runner.
class CronTasks {
public:
    // The crontab of the user running the program.
    CronTasks();
    ~CronTasks();
    CronTasks(const CronTasks&) = delete;
    CronTasks& operator=(const CronTasks&) = delete;

    QList<std::shared_ptr<ScheduledTask>> Tasks;
    QString User;
    bool Authenticate = false;
    qint64 currentAuthorization = 0;

    void SaveChanges();
    void Add(std::shared_ptr<ScheduledTask> task);
    // The first line whose command contains every keyword (none: the first line).
    bool Search(std::shared_ptr<ScheduledTask>& found, const QStringList& keywords) const;
    // Removes every line whose command is task's.
    void Delete(const ScheduledTask& task);
    CronTasks(const QString& user, bool authenticate, qint64 authorization);
    // Removes every line whose command contains every keyword.
    void Clean(const QStringList& keywords);
    // Writes every line to a new text file (a real path).
    void SaveTo(const QString& file) const;

private:
    std::optional<QString> readText(bool authenticate, qint64 authorization);
    void addLines(QString text, bool fromTool);
    QString text() const;
    void install(const QString& systemPath);
    QString userArgument() const;
    QString crontabFile() const;

    // Only a crontab that was read whole may be written back.
    bool m_read = false;
    // An authorization the privileged runner created because none was given.
    qint64 m_createdAuthorization = 0;
};
