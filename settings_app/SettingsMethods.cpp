#include "SettingsMethods.h"

#include "NotYetBuilt.h"

#include <QCoreApplication>

namespace {
QString g_applicationFolder;
}

namespace Methods {
bool Authorize() { notYetBuilt("Methods.Authorize"); }
void DropRights() { notYetBuilt("Methods.DropRights"); }
void installAgent() { notYetBuilt("Methods.installAgent"); }
void removeAgent() { notYetBuilt("Methods.removeAgent"); }
bool isAgentInstalled() { notYetBuilt("Methods.isAgentInstalled"); }
bool agentNeedsUpdating() { notYetBuilt("Methods.agentNeedsUpdating"); }
void runAgentNow() { notYetBuilt("Methods.runAgentNow"); }
void determineAdminStatus() { notYetBuilt("Methods.determineAdminStatus"); }
bool canSwitchOut() { notYetBuilt("Methods.canSwitchOut"); }

QString applicationFolder()
{
    return g_applicationFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_applicationFolder;
}
void setApplicationFolder(const QString& realFolder) { g_applicationFolder = realFolder; }
}  // namespace Methods
