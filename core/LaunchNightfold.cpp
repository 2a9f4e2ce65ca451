#include "Methods.h"
#include "NotYetBuilt.h"

namespace Methods {
void launchNightfold() { notYetBuilt("Methods.LaunchNightfold"); }
}  // namespace Methods
