#include "QMAssertion.h"

#include "ErrorAndLoggingGlobals.h"

void QMAssertion::test(bool condition, const QString& message, int level, bool raise)
{
    setMessage(message);
    m_myLevel = level;
    if (condition)
        return;
    if (raise)
        throw *this;
    ErrorAndLoggingGlobals::processError(std::make_exception_ptr(*this), QString(), false);
}
