#pragma once

#include <QString>

class SimulatedMachine;

// Puts the agent's folder on a simulated machine the way the settings
// application installs it: the pictures and the warning application copied
// from the shipped folder, stand-ins for the two programs (the machine runs
// them itself, never the real binaries), and the every-minute crontab line.
namespace StartupItemInstaller {
// shippedFolder is a real folder (the build's NightfoldStartup); a missing one
// installs the stand-ins and the crontab line only. False when a file could
// not be written.
bool install(SimulatedMachine& machine, const QString& shippedFolder);
}  // namespace StartupItemInstaller
