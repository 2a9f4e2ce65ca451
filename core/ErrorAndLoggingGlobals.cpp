#include "ErrorAndLoggingGlobals.h"

#include "AppDebugLog.h"

// Placeholder until the QM framework lands: reports the label only.
namespace ErrorAndLoggingGlobals {
void processError(std::exception_ptr error, const QString& label, bool raise)
{
    if (raise)
        std::rethrow_exception(error);
    App::DebugLog(QStringLiteral("There was an error in %1.").arg(label));
}
void addEntryToLog(std::shared_ptr<QMLogEntryInterface>) {}
void QMLog(const QString&, int) {}
void startLog() {}
QMBroadcastingLog* applicationLog() { return nullptr; }
int errorLevel() { return 0; }
void resetForNewProcess() {}
}  // namespace ErrorAndLoggingGlobals
