#pragma once

#include "CommandRunner.h"
#include "CoreFixture.h"
#include "SimulatedMachine.h"

// A machine installed as the shell and the privileged runner, with its
// folders below the test's root: bob at the desktop running Safari, alice
// logged in behind him, carol without a login, alice an administrator.
class SimMachineFixture : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        ASSERT_TRUE(machine.prepareFolders());
        prepare(machine);
        machine.install();
    }

    static void prepare(SimulatedMachine& m)
    {
        m.addAccount(QStringLiteral("alice"), QStringLiteral("Alice Admin"));
        m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith"));
        m.addAccount(QStringLiteral("carol"), QStringLiteral("Carol"), QStringLiteral("/bin/tcsh"));
        m.addAdmin(QStringLiteral("alice"));
        m.logIn(QStringLiteral("alice"));
        m.logIn(QStringLiteral("bob"));
        m.setFrontApplication(QStringLiteral("bob"), QStringLiteral("Safari"));
    }

    // One line through the system's own runner factory, as the code does it.
    static QString shell(const QString& commandLine)
    {
        auto runner = CommandRunner::create();
        runner->Execute(commandLine);
        return runner->Result();
    }

    SimulatedMachine machine;
};
