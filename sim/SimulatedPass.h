#pragma once

#include "LocalDateTime.h"
#include "MachineState.h"

#include <QList>
#include <QString>
#include <QStringList>

class SimulatedMachine;

// One agent pass on a simulated machine at a given moment, run as a new agent
// process would be: fresh process state, the machine's root folder, a clock
// standing at that moment, the machine's shell and privileged runner.
class SimulatedPass {
public:
    // One thing a person watching would see, in the order it happened.
    struct TimelineEntry {
        LocalDateTime at;
        bool fromAgent = false;  // the agent's log message, else the machine's event
        QString text;
    };

    struct Outcome {
        QStringList logLines;           // lines the pass appended to /var/log/nightfold.log
        QList<MachineEvent> events;     // what the machine noticed meanwhile
        QList<TimelineEntry> timeline;  // both, interleaved as they happened
        QStringList commands;           // every command line and privileged run, in order
    };

    SimulatedPass(SimulatedMachine& machine, QString rootFolder) : m_machine(machine), m_root(std::move(rootFolder)) {}

    Outcome run(const LocalDateTime& at);
    // Whether cron runs at all: a sleeping or switched-off machine runs nothing.
    bool machineAwake() const;

private:
    SimulatedMachine& m_machine;
    QString m_root;
};
