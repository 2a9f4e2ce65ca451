#pragma once

#include "QMApplicationLog.h"
#include "QMBroadcasterInterface.h"

// The application log as a broadcaster: every new entry goes to its listeners
// as "AddLogEntry"; a new listener first gets the whole log as "LoadAllLogEntries".
class QMBroadcastingLog : public QMApplicationLog, public QMBroadcasterInterface {
public:
    QMBroadcastingLog();

    QString getBroadcasterName() const override;
    void listenerAdded(const std::shared_ptr<QMListenerInterface>& listener) override;

private:
    void addEntryToLists(const std::shared_ptr<QMLogEntryInterface>& entry) override;
};
