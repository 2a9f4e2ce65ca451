#include "AgentProcess.h"
#include "SystemPaths.h"

#include <QCoreApplication>

// NightfoldAgent: one pass per start, run by cron every minute as root. The
// system clock and the real shell are the defaults.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);  // image plug-ins need it
    SystemPaths::setRoot(QStringLiteral("/"));
    SystemPaths::setProgramFolder(QCoreApplication::applicationDirPath());
    return runAgentProcess(QCoreApplication::arguments());
}
