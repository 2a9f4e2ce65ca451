#pragma once

#include "RuntimeError.h"

#include <QString>
#include <exception>
#include <memory>
#include <utility>

class QMBroadcastingLog;
class QMLogEntryInterface;

namespace ErrorAndLoggingGlobals {
// Reports a caught error under a location label (raise = false), or wraps it
// and raises it on to the caller (raise = true), growing its label trail.
void processError(std::exception_ptr error, const QString& label, bool raise);
// The programs' unhandled-error events: reports under "untrapped location", or
// under an empty label when the error already carries its trail.
void lastResort(std::exception_ptr error);
void addEntryToLog(std::shared_ptr<QMLogEntryInterface> entry);
void QMLog(const QString& message, int level);
void startLog();

// The one application log; nullptr until the first entry creates it.
QMBroadcastingLog* applicationLog();
int errorLevel();
// Forgets the log, errorLevel and the broadcaster registry, as a new process would start.
void resetForNewProcess();
}  // namespace ErrorAndLoggingGlobals

// The handler pattern: run body; any runtime error is reported under label and
// the routine returns normally (with empty for routines that give a value).
template <typename Body>
void handled(const char* label, Body&& body)
{
    try {
        body();
    } catch (...) {
        ErrorAndLoggingGlobals::processError(std::current_exception(), QString::fromLatin1(label), false);
    }
}

template <typename Result, typename Body>
Result handledOr(Result empty, const char* label, Body&& body)
{
    try {
        return body();
    } catch (...) {
        ErrorAndLoggingGlobals::processError(std::current_exception(), QString::fromLatin1(label), false);
    }
    return empty;
}

// For the framework's own routines: wrap and raise on.
template <typename Body>
auto raisedThrough(const QString& label, Body&& body) -> decltype(body())
{
    try {
        return body();
    } catch (...) {
        ErrorAndLoggingGlobals::processError(std::current_exception(), label, true);
    }
    throw RuntimeError();  // not reached: processError raised
}

template <typename Body>
auto raisedThrough(const char* label, Body&& body) -> decltype(body())
{
    return raisedThrough(QString::fromLatin1(label), std::forward<Body>(body));
}
