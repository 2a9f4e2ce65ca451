#include "QMListenerGroup.h"

#include "ErrorAndLoggingGlobals.h"
#include "QMEvent.h"
#include "QMEventGlobals.h"
#include "QMListenerInterface.h"

#include <algorithm>

void QMListenerGroup::addListener(const std::shared_ptr<QMListenerInterface>& listener)
{
    raisedThrough("QMListenerGroup.addListener", [&] {
        if (!contains(listener))
            m_listeners.push_back(listener);
    });
}

void QMListenerGroup::removeListener(const std::shared_ptr<QMListenerInterface>& listener)
{
    raisedThrough("QMListenerGroup.removeListener", [&] { std::erase(m_listeners, listener); });
}

void QMListenerGroup::removeAllListeners(QMBroadcasterInterface& broadcaster, bool rememberOrphans)
{
    raisedThrough("QMListenerGroup.removeAllListeners", [&] {
        while (!m_listeners.empty()) {
            const std::shared_ptr<QMListenerInterface> listener = m_listeners.back();
            m_listeners.pop_back();
            if (rememberOrphans)
                QMEventGlobals::rememberOrphanedListener(listener, broadcaster);
        }
    });
}

void QMListenerGroup::broadcastEvent(const QMEvent& event, QMBroadcasterInterface& broadcaster)
{
    raisedThrough(QStringLiteral("QMListenerGroup.broadcastEvent ") + event.name(), [&] {
        // By index against the current count: a listener may leave or join while
        // it is being told; the copy keeps it alive for its own call.
        for (size_t i = 0; i < m_listeners.size(); ++i) {
            const std::shared_ptr<QMListenerInterface> listener = m_listeners[i];
            if (listener)
                listener->handleEvent(event, broadcaster);
        }
    });
}

void QMListenerGroup::broadCastevent(const QMEvent& event, QMBroadcasterInterface& broadcaster,
                                     const std::shared_ptr<QMListenerInterface>& listener)
{
    raisedThrough("QMListenerGroup.broadcastEvent to one listener", [&] {
        if (!listener)
            throw RuntimeError(RuntimeError::Kind::NilObject, QStringLiteral("no listener"));
        listener->handleEvent(event, broadcaster);
    });
}

bool QMListenerGroup::contains(const std::shared_ptr<QMListenerInterface>& listener) const
{
    return std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end();
}
