#pragma once

// The commands of nightfold-sim that need widgets. They are linked into the
// program only when the settings application is built, so the simulator
// itself (and the core-only build) stays free of widgets:
//   gui DIR          the real settings application against the machine in DIR
//   pictures FOLDER  each window of the settings application as FOLDER/NAME.png
namespace SimGui {
// Whether the command line names one of these commands.
bool handles(int argc, char** argv);
// Runs it with a widget application of its own; the status as nightfold-sim's.
int run(int argc, char** argv);
}  // namespace SimGui
