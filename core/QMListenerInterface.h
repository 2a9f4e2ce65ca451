#pragma once

class QMBroadcasterInterface;
class QMEvent;

// Receives the events of the broadcasters it was added to.
class QMListenerInterface {
public:
    virtual ~QMListenerInterface() = default;
    virtual void handleEvent(const QMEvent& event, QMBroadcasterInterface& broadcaster) = 0;
};
