#pragma once

#include "MachineState.h"

#include <QString>

// The machine as FOLDER/machine.json: hand-editable, records kept in their
// order (see MACHINE.md). Both routines give an empty text on success, else
// a message naming the file and the fault; a failed load leaves state alone.
namespace MachineJson {
QString save(const MachineState& state, const QString& folder);
QString load(MachineState& state, const QString& folder);
}  // namespace MachineJson
