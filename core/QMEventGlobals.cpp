#include "QMEventGlobals.h"

#include "ErrorAndLoggingGlobals.h"
#include "QMBroadcasterInterface.h"
#include "QMListenerGroup.h"
#include "TextCompare.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {
// Keys are identities only and never followed: a broadcaster that is gone
// leaves a group nobody can reach.
using Registry = std::map<const QMBroadcasterInterface*, std::shared_ptr<QMListenerGroup>>;

struct Orphan {
    std::shared_ptr<QMListenerInterface> listener;
    QString broadcasterName;
};

std::optional<Registry>& QMBroadcasters()
{
    static std::optional<Registry> registry;
    return registry;
}

std::vector<Orphan>& orphanedListeners()
{
    static std::vector<Orphan> orphans;
    return orphans;
}

std::vector<Orphan>::iterator findOrphan(const std::shared_ptr<QMListenerInterface>& listener)
{
    std::vector<Orphan>& orphans = orphanedListeners();
    return std::find_if(orphans.begin(), orphans.end(), [&](const Orphan& o) { return o.listener == listener; });
}
}  // namespace

namespace QMEventGlobals {
void AddListener(const std::shared_ptr<QMListenerInterface>& listener, QMBroadcasterInterface& broadcaster)
{
    raisedThrough("global:AddListener", [&] {
        if (const std::shared_ptr<QMListenerGroup> group = getBroadcastersGroup(broadcaster))
            group->addListener(listener);
        broadcaster.listenerAdded(listener);
    });
}

void startBroadcaster(QMBroadcasterInterface& broadcaster)
{
    raisedThrough("global:startBroadcaster", [&] {
        if (!QMBroadcasters())
            QMBroadcasters().emplace();
        (*QMBroadcasters())[&broadcaster] = std::make_shared<QMListenerGroup>();
        reconnectToOrphans(broadcaster);
    });
}

std::shared_ptr<QMListenerGroup> getBroadcastersGroup(QMBroadcasterInterface& broadcaster)
{
    return raisedThrough("global:getBroadcastersGroup", [&]() -> std::shared_ptr<QMListenerGroup> {
        if (!QMBroadcasters())
            throw RuntimeError(RuntimeError::Kind::NilObject, QStringLiteral("no broadcaster was started"));
        const auto found = QMBroadcasters()->find(&broadcaster);
        if (found != QMBroadcasters()->end())
            return found->second;
        ErrorAndLoggingGlobals::QMLog(QStringLiteral("Broadcaster not found."), 1);
        return nullptr;
    });
}

void broadcastEvent(QMBroadcasterInterface& broadcaster, const QMEvent& event)
{
    raisedThrough("global:broadcastEvent", [&] {
        if (const std::shared_ptr<QMListenerGroup> group = getBroadcastersGroup(broadcaster))
            group->broadcastEvent(event, broadcaster);
    });
}

void broadcastEvent(QMBroadcasterInterface& broadcaster, const QMEvent& event,
                    const std::shared_ptr<QMListenerInterface>& listener)
{
    raisedThrough("global:broadcastEvent", [&] {
        if (const std::shared_ptr<QMListenerGroup> group = getBroadcastersGroup(broadcaster))
            group->broadCastevent(event, broadcaster, listener);
    });
}

void rememberOrphanedListener(const std::shared_ptr<QMListenerInterface>& listener, QMBroadcasterInterface& broadcaster)
{
    raisedThrough("rememberOrphanedListener", [&] {
        const QString name = broadcaster.getBroadcasterName();
        if (name.isEmpty())
            return;
        const auto earlier = findOrphan(listener);
        if (earlier != orphanedListeners().end())
            earlier->broadcasterName = name;
        else
            orphanedListeners().push_back({listener, name});
    });
}

void reconnectToOrphans(QMBroadcasterInterface& broadcaster)
{
    const QString name = broadcaster.getBroadcasterName();
    // Last to first, by index against the current count: a listener told of
    // its return may change the orphans.
    for (size_t i = orphanedListeners().size(); i-- > 0;) {
        if (i >= orphanedListeners().size())
            continue;
        const Orphan orphan = orphanedListeners()[i];
        if (!TextCompare::same(orphan.broadcasterName, name))
            continue;
        AddListener(orphan.listener, broadcaster);
        const auto record = findOrphan(orphan.listener);
        if (record != orphanedListeners().end())
            orphanedListeners().erase(record);
    }
}

std::optional<QString> orphanedUnder(const std::shared_ptr<QMListenerInterface>& listener)
{
    const auto record = findOrphan(listener);
    if (record == orphanedListeners().end())
        return std::nullopt;
    return record->broadcasterName;
}

void resetForNewProcess()
{
    QMBroadcasters().reset();
    orphanedListeners().clear();
}
}  // namespace QMEventGlobals
