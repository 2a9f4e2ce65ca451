#pragma once

#include <QString>
#include <functional>

// App.DebugLog: the program's own log routine. The agent installs one that
// writes its log file and the console; the settings application's does nothing.
namespace App {
void DebugLog(const QString& message);
// An empty writer makes DebugLog do nothing.
void setDebugLogWriter(std::function<void(const QString&)> writer);
}  // namespace App
