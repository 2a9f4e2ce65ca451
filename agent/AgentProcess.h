#pragma once

#include <QStringList>

// What a new agent process does once its caller has wired the platform (root
// folder, clock, command runner, program folder): one pass, never two at once.
// Returns the process exit status, always 0.
int runAgentProcess(const QStringList& arguments);
