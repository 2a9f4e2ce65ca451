#include "QMLogEntry.h"

#include "Clock.h"

QMLogEntry::QMLogEntry(const QString& message, int level) : m_level(level), m_message(message), m_time(Clock::now()) {}
