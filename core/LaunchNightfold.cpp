#include "CommandRunner.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Methods.h"
#include "StringStuff.h"
#include "SystemPaths.h"

#include <QDir>
#include <QFileInfo>

// Brings up the settings application for the countdown. There is no registry
// of applications by creator code here, so the location the settings
// application records at each start is what finds it.
namespace Methods {
void launchNightfold()
{
    handled("Methods.LaunchNightfold", [] {
        const std::optional<QString> application = EasyPrefs::GetPrefFolderItem(QStringLiteral("appLocation"), std::nullopt);
        if (!application || !QDir::isAbsolutePath(*application) || !QFileInfo::exists(SystemPaths::resolve(*application)))
            return;
        const auto runner = CommandRunner::create();
        runner->Execute(QStringLiteral("/usr/bin/open ") + StringStuff::Quote(*application));
        runner->Close();
    });
}
}  // namespace Methods
