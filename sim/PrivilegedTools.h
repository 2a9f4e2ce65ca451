#pragma once

#include "MachineState.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The tools the privileged runner executes as the superuser, with their exact
// argument lists (no shell). Like the real runner, only standard output comes
// back; what a tool would print on standard error is kept apart for the log.
class PrivilegedTools {
public:
    struct Outcome {
        bool executed = true;  // false: the tool file could not be executed
        QString output;
        QString error;
    };

    // runAgent runs one agent pass; false when the installed agent is missing.
    PrivilegedTools(MachineState& state, std::function<bool()> runAgent) : m_state(state), m_runAgent(std::move(runAgent)) {}

    // Nothing when the machine does not know the tool or these arguments.
    std::optional<Outcome> run(const QString& tool, const QStringList& arguments);

private:
    std::optional<Outcome> copy(const QStringList& arguments);
    std::optional<Outcome> remove(const QStringList& arguments);
    std::optional<Outcome> recordAttribute(QMap<QString, QString>& attributes, const QString& tool, const QStringList& arguments);

    MachineState& m_state;
    std::function<bool()> m_runAgent;
};
