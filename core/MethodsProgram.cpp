#include "Methods.h"

namespace {
Methods::Program g_program = Methods::Program::Agent;
}

namespace Methods {
void setProgram(Program p) { g_program = p; }
Program program() { return g_program; }

void resetForNewProcess()
{
    resetSensingState();
    resetSettingsFileState();
}
}  // namespace Methods
