#pragma once

#include "QMLogEntryInterface.h"
#include "RuntimeError.h"

// A checked condition that, when it fails, is raised or reported like any
// other runtime error. It is logged only through the wrapper that reports it.
class QMAssertion : public RuntimeError, public QMLogEntryInterface {
public:
    QMAssertion() = default;

    // Keeps message and level; a false condition raises this assertion
    // (raise) or reports it under an empty label.
    void test(bool condition, const QString& message, int level, bool raise);

    LocalDateTime getTime() const override { return m_time; }
    QString getMessage() const override { return message(); }
    int getLevel() const override { return m_myLevel; }

private:
    int m_myLevel = 0;
    LocalDateTime m_time;  // never set: the wrapper carries the moment
};
