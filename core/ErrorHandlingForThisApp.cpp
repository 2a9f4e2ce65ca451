#include "ErrorHandlingForThisApp.h"

#include "AppDebugLog.h"
#include "QMErrorWrapper.h"

namespace ErrorHandlingForThisApp {
void QMHandleError(const QMErrorWrapper& wrapper) { App::DebugLog(wrapper.getMessage()); }
}  // namespace ErrorHandlingForThisApp
