#pragma once

#include "CommandRunner.h"

class SimulatedMachine;

// The shell facility on the simulated machine: every line goes to the machine,
// never to a real shell.
class SimCommandRunner : public CommandRunner {
public:
    explicit SimCommandRunner(SimulatedMachine& machine) : m_machine(machine) {}
    void Execute(const QString& commandLine) override;
    QString Result() const override { return m_result; }

private:
    SimulatedMachine& m_machine;
    QString m_result;
};
