#pragma once

#include "SimulatedMachine.h"

#include <QString>

// The machine the settings application runs against in "nightfold-sim gui DIR":
// DIR/machine.json loaded and installed as the shell and the privileged runner,
// its files below DIR, its administrator prompt accepting. The application
// lives on the machine too (/Applications/Nightfold, with the agent's folder
// beside it, so that turning the agent on copies it from there). Each run of
// the installed agent is a real pass in a child "nightfold-sim pass DIR"
// process: the pass starts from fresh process state, which this process must
// keep for the running application.
class SimGuiMachine {
public:
    // program: the nightfold-sim executable that runs the passes.
    SimGuiMachine(QString folder, QString program) : m_folder(std::move(folder)), m_program(std::move(program)) {}
    ~SimGuiMachine();
    SimGuiMachine(const SimGuiMachine&) = delete;
    SimGuiMachine& operator=(const SimGuiMachine&) = delete;

    // Both give an empty text on success, else the error.
    QString open();
    // Saves DIR/machine.json and gives the shell and this computer's root back.
    QString close();

    SimulatedMachine& machine() { return m_machine; }
    static const QString applicationFolder;  // a system path

private:
    void prepareApplicationFolder();
    void runAgentPass();

    QString m_folder;
    QString m_program;
    SimulatedMachine m_machine;
    bool m_open = false;
};
