#pragma once

#include "QMLogEntryInterface.h"

// A plain message for the application log, stamped with the moment it was made.
class QMLogEntry : public QMLogEntryInterface {
public:
    QMLogEntry(const QString& message, int level);

    LocalDateTime getTime() const override { return m_time; }
    QString getMessage() const override { return m_message; }
    int getLevel() const override { return m_level; }

private:
    int m_level;
    QString m_message;
    LocalDateTime m_time;
};
