#pragma once

#include <QString>
#include <memory>
#include <optional>

class QMBroadcasterInterface;
class QMEvent;
class QMListenerGroup;
class QMListenerInterface;

// The process-wide broadcaster registry: each started broadcaster's listener
// group (broadcasters known by object identity), and listeners orphaned by a
// broadcaster that went away, waiting for one of the same name.
// Errors inside are wrapped and raised on with the routine's label.
namespace QMEventGlobals {
void AddListener(const std::shared_ptr<QMListenerInterface>& listener, QMBroadcasterInterface& broadcaster);
// A fresh empty group for the broadcaster, then its orphans come back.
void startBroadcaster(QMBroadcasterInterface& broadcaster);
// The group, or nullptr after logging "Broadcaster not found.". Before any
// broadcaster was started there is no registry: that is an error.
std::shared_ptr<QMListenerGroup> getBroadcastersGroup(QMBroadcasterInterface& broadcaster);
void broadcastEvent(QMBroadcasterInterface& broadcaster, const QMEvent& event);
void broadcastEvent(QMBroadcasterInterface& broadcaster, const QMEvent& event,
                    const std::shared_ptr<QMListenerInterface>& listener);
// Records the listener under the broadcaster's name; an unnamed one records nothing.
void rememberOrphanedListener(const std::shared_ptr<QMListenerInterface>& listener, QMBroadcasterInterface& broadcaster);
// Adds back, last to first, every orphan recorded under this broadcaster's name.
void reconnectToOrphans(QMBroadcasterInterface& broadcaster);

// The broadcaster name an orphan waits for, if it waits.
std::optional<QString> orphanedUnder(const std::shared_ptr<QMListenerInterface>& listener);
// Drops the registry and the orphans, as a new process would start.
void resetForNewProcess();
}  // namespace QMEventGlobals
