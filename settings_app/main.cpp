// Nightfold: the settings application. It reads no options and no environment.
#include "AuthorizationShell.h"
#include "FileTypes.h"
#include "NightfoldApplication.h"
#include "SettingsApp.h"
#include "SystemAuthorizationServices.h"
#include "SystemPaths.h"

#include <QTimer>

int main(int argc, char** argv)
{
    NightfoldApplication application(argc, argv);
    SystemPaths::setRoot(QStringLiteral("/"));
    const auto authorization = SystemAuthorizationServices::forThisProgram();
    Authorization::setServices(authorization.get());
    FileTypes::registerTypes();

    int status = 0;
    {
        SettingsApp app;
        QTimer::singleShot(0, &app, &SettingsApp::Open);
        status = NightfoldApplication::exec();
    }
    // Every helper still holding rights ends with the services.
    Authorization::setServices(nullptr);
    return status;
}
