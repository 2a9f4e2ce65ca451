#include "Methods.h"
#include "NightfoldUser.h"
#include "NotYetBuilt.h"

// Login and activity sensing: not built yet.
namespace Methods {
void updateActiveUsers(bool) { notYetBuilt("Methods.updateActiveUsers"); }
std::shared_ptr<NightfoldUser> getCurrentUser() { notYetBuilt("Methods.getCurrentUser"); }
bool isLoginWindowOpen() { notYetBuilt("Methods.isLoginWindowOpen"); }
bool isJaguar() { return false; }
void resetSensingState() {}
}  // namespace Methods
