#include "AgentProcess.h"

#include "AgentApp.h"
#include "AppDebugLog.h"
#include "Globals.h"
#include "Methods.h"
#include "PassLock.h"

int runAgentProcess(const QStringList& arguments)
{
    Globals::resetForNewProcess();
    Methods::setProgram(Methods::Program::Agent);
    App::setDebugLogWriter(&AgentApp::DebugLog);

    PassLock lock;
    if (!lock.acquire()) {
        AgentApp::DebugLog(QStringLiteral("Another pass is still running; this minute is skipped."));
        return 0;
    }

    AgentApp app;
    try {
        app.Run(arguments);
    } catch (...) {
        try {
            app.UnhandledException(std::current_exception());
        } catch (...) {
            // Reporting failed too; nothing is left to tell.
        }
    }
    lock.release();
    return 0;
}
