#include "Methods.h"
#include "NotYetBuilt.h"

namespace Methods {
bool isWeekday() { notYetBuilt("Methods.isWeekday"); }
bool isWeekend() { notYetBuilt("Methods.isWeekend"); }
}  // namespace Methods
