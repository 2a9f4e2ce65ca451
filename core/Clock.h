#pragma once

#include "LocalDateTime.h"

// The one source of "now" for every rule. Programs use the system clock; tests
// and the simulated machine install a TestClock and move it by hand.
class ClockSource {
public:
    virtual ~ClockSource() = default;
    virtual LocalDateTime now() const = 0;
    virtual void wait(int milliseconds) = 0;
};

class SystemClock : public ClockSource {
public:
    LocalDateTime now() const override;
    void wait(int milliseconds) override;
};

// Never sleeps: a wait moves the clock forward instead.
class TestClock : public ClockSource {
public:
    explicit TestClock(LocalDateTime start = LocalDateTime()) : m_now(start) {}
    LocalDateTime now() const override { return m_now; }
    void wait(int milliseconds) override;
    void set(LocalDateTime moment) { m_now = moment; }
    void advanceSeconds(qint64 seconds) { m_now = m_now.addSeconds(seconds); }
    void advanceMinutes(qint64 minutes) { advanceSeconds(minutes * 60); }
    void advanceDays(qint64 days) { advanceSeconds(days * 86400); }
    qint64 waitedMilliseconds() const { return m_waited; }

private:
    LocalDateTime m_now;
    qint64 m_waited = 0;
    int m_pendingMs = 0;
};

namespace Clock {
LocalDateTime now();
void wait(int milliseconds);
// nullptr restores the system clock. The caller keeps ownership.
void setSource(ClockSource* source);
ClockSource& source();
}  // namespace Clock

// Installs a clock for the lifetime of a scope (tests, one simulated pass).
class ScopedClock {
public:
    explicit ScopedClock(ClockSource& source) { Clock::setSource(&source); }
    ~ScopedClock() { Clock::setSource(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};
