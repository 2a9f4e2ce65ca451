#pragma once

#include "QMLogEntryInterface.h"

#include <QList>
#include <memory>

// The in-memory log of the newest entries, copied to the console unless
// debugToConsole was false when the log was made.
class QMApplicationLog {
public:
    QMApplicationLog();
    virtual ~QMApplicationLog() = default;

    void add(std::shared_ptr<QMLogEntryInterface> entry);

    const QList<std::shared_ptr<QMLogEntryInterface>>& entries() const { return m_entries; }
    int outsideLogLevel() const { return m_outsideLogLevel; }
    int localLogLimit() const { return m_localLogLimit; }
    bool writeToSystemLog() const { return m_writeToSystemLog; }

protected:
    // Raised by add for each new entry, before the oldest are dropped.
    virtual void addEntryToLists(const std::shared_ptr<QMLogEntryInterface>& entry);

private:
    void writeToOSXConsole(const QMLogEntryInterface& entry) const;

    QList<std::shared_ptr<QMLogEntryInterface>> m_entries;  // oldest first
    int m_outsideLogLevel;
    int m_localLogLimit;  // negative keeps every entry
    bool m_writeToSystemLog;
};
