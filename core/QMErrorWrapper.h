#pragma once

#include "QMLogEntryInterface.h"
#include "RuntimeError.h"

#include <QStringList>
#include <exception>

// A caught error on its way out: the original error, the trail of location
// labels that caught it (first capture first) and the moment of that capture.
// Its own message text stays empty; getMessage describes the original.
class QMErrorWrapper : public RuntimeError, public QMLogEntryInterface {
public:
    QMErrorWrapper(std::exception_ptr error, const QString& label);

    void appendToStack(const QString& label) { m_stack.append(label); }
    // Hands the wrapper to this program's own debug log.
    void handle() const;
    // Every label followed by one blank.
    QString fullStackTrace() const;

    LocalDateTime getTime() const override { return m_time; }
    QString getMessage() const override;
    int getLevel() const override;

    std::exception_ptr originalException() const { return m_originalException; }
    const QStringList& stack() const { return m_stack; }

private:
    std::exception_ptr m_originalException;
    QStringList m_stack;
    LocalDateTime m_time;
};
