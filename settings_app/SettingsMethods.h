#pragma once

#include <QString>

// The settings application's own routines of the Methods module: the shared
// administrator authorization and installing, running and removing the agent.
// (The core declares the rest of Methods.)
namespace Methods {
bool Authorize();
void DropRights();
void installAgent();
void removeAgent();
bool isAgentInstalled();
bool agentNeedsUpdating();
void runAgentNow();
void determineAdminStatus();
bool canSwitchOut();

// The folder holding the settings application (NightfoldStartup and
// Resources are looked up there); tests point it elsewhere.
QString applicationFolder();
void setApplicationFolder(const QString& realFolder);
}  // namespace Methods
