#include "Methods.h"
#include "NotYetBuilt.h"

// Sleep or shut down after a log-out: not built yet.
namespace Methods {
QString getSleepCommand() { notYetBuilt("Methods.getSleepCommand"); }
void sleepOrShutdown() { notYetBuilt("Methods.sleepOrShutdown"); }
}  // namespace Methods
