#pragma once

#include <QString>
#include <memory>
#include <vector>

class QMBroadcasterInterface;
class QMEvent;
class QMListenerInterface;

// The listeners of one broadcaster, each held once, in the order added.
// Errors inside are wrapped and raised on with the routine's label.
class QMListenerGroup {
public:
    void addListener(const std::shared_ptr<QMListenerInterface>& listener);
    void removeListener(const std::shared_ptr<QMListenerInterface>& listener);
    // Last to first; with rememberOrphans each is recorded under the broadcaster's name.
    void removeAllListeners(QMBroadcasterInterface& broadcaster, bool rememberOrphans);
    void broadcastEvent(const QMEvent& event, QMBroadcasterInterface& broadcaster);
    void broadCastevent(const QMEvent& event, QMBroadcasterInterface& broadcaster,
                        const std::shared_ptr<QMListenerInterface>& listener);

    bool contains(const std::shared_ptr<QMListenerInterface>& listener) const;
    int listenerCount() const { return static_cast<int>(m_listeners.size()); }

    QMBroadcasterInterface* broadcaster = nullptr;  // the registry leaves it empty

private:
    std::vector<std::shared_ptr<QMListenerInterface>> m_listeners;
};
