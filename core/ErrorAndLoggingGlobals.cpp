#include "ErrorAndLoggingGlobals.h"

#include "QMBroadcastingLog.h"
#include "QMErrorWrapper.h"
#include "QMEventGlobals.h"
#include "QMLogEntry.h"

namespace {
std::unique_ptr<QMBroadcastingLog> G_QMApplicationLog;
int errorLevelValue = 0;

void report(const QMErrorWrapper& wrapper)
{
    wrapper.handle();
    ErrorAndLoggingGlobals::addEntryToLog(std::make_shared<QMErrorWrapper>(wrapper));
}
}  // namespace

namespace ErrorAndLoggingGlobals {
void processError(std::exception_ptr error, const QString& label, bool raise)
{
    if (!error)
        error = std::make_exception_ptr(RuntimeError());
    try {
        std::rethrow_exception(error);
    } catch (QMErrorWrapper& wrapper) {
        // The very object the exception_ptr holds: raising it on keeps the trail.
        wrapper.appendToStack(label);
        if (raise)
            throw;
        report(wrapper);
    } catch (...) {
        QMErrorWrapper wrapper(error, label);
        if (raise)
            throw wrapper;
        report(wrapper);
    }
}

void lastResort(std::exception_ptr error)
{
    bool wrapped = false;
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const QMErrorWrapper&) {
        wrapped = true;
    } catch (...) {
    }
    processError(error, wrapped ? QString() : QStringLiteral("untrapped location"), false);
}

void addEntryToLog(std::shared_ptr<QMLogEntryInterface> entry)
{
    if (!G_QMApplicationLog)
        startLog();
    G_QMApplicationLog->add(std::move(entry));
}

void QMLog(const QString& message, int level) { addEntryToLog(std::make_shared<QMLogEntry>(message, level)); }

void startLog()
{
    if (!G_QMApplicationLog)
        G_QMApplicationLog = std::make_unique<QMBroadcastingLog>();
    errorLevelValue = 2;
}

QMBroadcastingLog* applicationLog() { return G_QMApplicationLog.get(); }

int errorLevel() { return errorLevelValue; }

void resetForNewProcess()
{
    G_QMApplicationLog.reset();
    errorLevelValue = 0;
    QMEventGlobals::resetForNewProcess();
}
}  // namespace ErrorAndLoggingGlobals
