#include "SimCommandRunner.h"

#include "SimulatedMachine.h"

void SimCommandRunner::Execute(const QString& commandLine) { m_result = m_machine.runShell(commandLine); }
