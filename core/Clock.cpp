#include "Clock.h"

#include <QThread>

LocalDateTime SystemClock::now() const { return LocalDateTime::currentSystemTime(); }

void SystemClock::wait(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void TestClock::wait(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    m_waited += milliseconds;
    m_pendingMs += milliseconds;
    advanceSeconds(m_pendingMs / 1000);
    m_pendingMs %= 1000;
}

namespace {
SystemClock g_systemClock;
ClockSource* g_source = &g_systemClock;
}  // namespace

namespace Clock {
LocalDateTime now() { return g_source->now(); }
void wait(int milliseconds) { g_source->wait(milliseconds); }
void setSource(ClockSource* source) { g_source = source ? source : &g_systemClock; }
ClockSource& source() { return *g_source; }
}  // namespace Clock
