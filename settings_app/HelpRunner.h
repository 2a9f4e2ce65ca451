#pragma once

#include <QString>

// The application's help book: the folder "Help" beside the application,
// whose start page is "index.html". Failures are reported to the debug log
// only; the program carries on without help.
namespace HelpRunner {
void RegisterHelpMachO();
// Opens page (empty: the start page) at anchor (empty: none) in the browser.
void OpenHelpMachO(const QString& page, const QString& anchor);

// The registered book's start page, empty when none is registered.
QString registeredBook();
// Forgets the registration, as a new process would start.
void reset();
}  // namespace HelpRunner
