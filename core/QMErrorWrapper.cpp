#include "QMErrorWrapper.h"

#include "Clock.h"
#include "ErrorHandlingForThisApp.h"
#include "Fillintheblanks.h"
#include "QMAssertion.h"

#include <iterator>
#include <new>
#include <optional>
#include <stdexcept>
#include <typeinfo>

namespace {
// Short names in the order the kinds are declared.
constexpr const char* kShortNames[] = {"nilobject",    "illegalCast", "outofbounds", "regEx",  "stackOverflow",
                                       "typeMismatch", "outOfMemory", "KeyNotFound", "unknown"};
static_assert(std::size(kShortNames) == static_cast<size_t>(RuntimeError::Kind::Other) + 1);

struct Described {
    RuntimeError::Kind kind = RuntimeError::Kind::Other;
    QString message;
    std::optional<int> assertionLevel;  // set when the original is an assertion
};

// Errors are C++ exceptions: the system's own carry their kind, the few
// standard ones with a matching kind are mapped, everything else is "unknown".
Described describe(const std::exception_ptr& error)
{
    using Kind = RuntimeError::Kind;
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const QMAssertion& assertion) {
        return {assertion.kind(), assertion.getMessage(), assertion.getLevel()};
    } catch (const RuntimeError& e) {
        return {e.kind(), e.message(), {}};
    } catch (const std::bad_alloc& e) {
        return {Kind::OutOfMemory, QString::fromUtf8(e.what()), {}};
    } catch (const std::out_of_range& e) {
        return {Kind::OutOfBounds, QString::fromUtf8(e.what()), {}};
    } catch (const std::bad_cast& e) {
        return {Kind::IllegalCast, QString::fromUtf8(e.what()), {}};
    } catch (const std::exception& e) {
        return {Kind::Other, QString::fromUtf8(e.what()), {}};
    } catch (...) {
        return {};
    }
}
}  // namespace

QMErrorWrapper::QMErrorWrapper(std::exception_ptr error, const QString& label)
    : m_originalException(std::move(error)), m_stack{label}, m_time(Clock::now())
{
}

void QMErrorWrapper::handle() const { ErrorHandlingForThisApp::QMHandleError(*this); }

QString QMErrorWrapper::fullStackTrace() const
{
    QString trace;
    for (const QString& label : m_stack)
        trace += label + QLatin1Char(' ');
    return trace;
}

QString QMErrorWrapper::getMessage() const
{
    const QString trace = fullStackTrace();
    const Described original = describe(m_originalException);
    if (original.assertionLevel)
        return original.message + QLatin1Char(' ') + trace;
    const QString shortName = QLatin1String(kShortNames[static_cast<int>(original.kind)]);
    return Fillintheblanks::fillintheblanks(QStringLiteral("There was a \\1 error in \\2."),
                                            QStringList{shortName, trace, original.message}.join(QLatin1Char('|')));
}

int QMErrorWrapper::getLevel() const
{
    return describe(m_originalException).assertionLevel.value_or(1);
}
