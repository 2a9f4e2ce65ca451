#include "QMBroadcastingLog.h"

#include "QMEvent.h"
#include "QMEventGlobals.h"

QMBroadcastingLog::QMBroadcastingLog() { QMEventGlobals::startBroadcaster(*this); }

QString QMBroadcastingLog::getBroadcasterName() const { return QStringLiteral("Main Application Log"); }

void QMBroadcastingLog::listenerAdded(const std::shared_ptr<QMListenerInterface>& listener)
{
    QMEvent event(QStringLiteral("LoadAllLogEntries"));
    event.addParameter(static_cast<const QMApplicationLog*>(this));
    QMEventGlobals::broadcastEvent(*this, event, listener);
}

void QMBroadcastingLog::addEntryToLists(const std::shared_ptr<QMLogEntryInterface>& entry)
{
    QMEvent event(QStringLiteral("AddLogEntry"));
    event.addParameter(entry);
    QMEventGlobals::broadcastEvent(*this, event);
}
