#pragma once

class QMErrorWrapper;

namespace ErrorHandlingForThisApp {
// Passes a handled error's message to this program's debug log (App::DebugLog:
// the agent's writes its log file, the settings application's does nothing).
void QMHandleError(const QMErrorWrapper& wrapper);
}  // namespace ErrorHandlingForThisApp
