#pragma once

#include <QList>
#include <QtGlobal>
#include <memory>

class NightfoldUser;

// Process-wide state shared by the core and both programs.
namespace Globals {
// The managed users, used from index 1 (slot 0 holds no user).
extern QList<std::shared_ptr<NightfoldUser>> Users;
extern bool loginWindowOpen;
extern bool agentInstalled;
extern bool mainWindowOpen;
extern bool usersWindowOpen;
// The shared administrator authorization; 0 means none.
extern qint64 savedAuthorization;

// Number of managed users (without slot 0).
int userCount();
// Every process-wide value back to how a new process starts: users, flags,
// preference store, cached answers and the application log.
void resetForNewProcess();
}  // namespace Globals
