#pragma once

#include <QString>
#include <memory>

class QMListenerInterface;

// Something listeners can subscribe to. The registry tells broadcasters apart
// by object identity and remembers orphaned listeners by broadcaster name.
class QMBroadcasterInterface {
public:
    virtual ~QMBroadcasterInterface() = default;
    virtual void listenerAdded(const std::shared_ptr<QMListenerInterface>& listener) = 0;
    virtual QString getBroadcasterName() const = 0;
};
