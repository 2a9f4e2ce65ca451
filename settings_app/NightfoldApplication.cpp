#include "NightfoldApplication.h"

#include "ErrorAndLoggingGlobals.h"
#include "SettingsApp.h"

bool NightfoldApplication::notify(QObject* receiver, QEvent* event)
{
    return deliverGuarded([&] { return QApplication::notify(receiver, event); });
}

bool NightfoldApplication::deliverGuarded(const std::function<bool()>& deliver)
{
    try {
        return deliver();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            if (SettingsApp* app = SettingsApp::current())
                app->UnhandledException(error);
            else
                ErrorAndLoggingGlobals::lastResort(error);
        } catch (...) {
            // Reporting failed too; the program still keeps running.
        }
    }
    return false;
}
