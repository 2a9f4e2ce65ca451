#pragma once

#include "AuthorizationShell.h"

class SimAuthorizationServices;
class SimulatedMachine;

// The privileged runner on the simulated machine. A runner without a
// reference prompts on its first run and owns what it gets, freeing it when
// discarded unless it was handed out (Retrieve). An assigned reference is the
// caller's; a freed one no longer runs anything.
class SimAuthorizationShell : public AuthorizationShell {
public:
    SimAuthorizationShell(SimAuthorizationServices& services, SimulatedMachine& machine) : m_services(services), m_machine(machine) {}
    ~SimAuthorizationShell() override;

    void Assign(qint64 reference) override;
    bool Run(const QString& command, bool wait, const QStringList& arguments) override;
    qint64 Retrieve() override;
    QString Result() const override { return m_result; }

private:
    void releaseOwned();

    SimAuthorizationServices& m_services;
    SimulatedMachine& m_machine;
    qint64 m_reference = 0;
    bool m_owned = false;
    QString m_result;
};
