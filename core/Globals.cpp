#include "Globals.h"

#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Methods.h"
#include "NightfoldUser.h"

namespace Globals {
QList<std::shared_ptr<NightfoldUser>> Users{nullptr};
bool loginWindowOpen = false;
bool agentInstalled = false;
bool mainWindowOpen = false;
bool usersWindowOpen = false;
qint64 savedAuthorization = 0;

int userCount() { return static_cast<int>(Users.size()) - 1; }

void resetForNewProcess()
{
    Users = {nullptr};
    loginWindowOpen = false;
    agentInstalled = false;
    mainWindowOpen = false;
    usersWindowOpen = false;
    savedAuthorization = 0;
    EasyPrefs::clear();
    Methods::resetForNewProcess();
    ErrorAndLoggingGlobals::resetForNewProcess();
}
}  // namespace Globals
