#pragma once

#include <QString>
#include <QStringList>
#include <exception>

// The agent's application object: one pass per process.
class AgentApp {
public:
    // One pass, start to end. Arguments are ignored; the result is always 0.
    int Run(const QStringList& arguments);
    // One line "DATE TIME NightfoldAgent: message" to the console and the log file.
    static void DebugLog(const QString& message);
    // The last resort for an error no routine handled; the pass ends with it.
    void UnhandledException(std::exception_ptr error);
};
