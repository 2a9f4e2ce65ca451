#include "AppDebugLog.h"

namespace {
std::function<void(const QString&)>& writer()
{
    static std::function<void(const QString&)> w;
    return w;
}
}  // namespace

namespace App {
void DebugLog(const QString& message)
{
    if (writer())
        writer()(message);
}

void setDebugLogWriter(std::function<void(const QString&)> w) { writer() = std::move(w); }
}  // namespace App
