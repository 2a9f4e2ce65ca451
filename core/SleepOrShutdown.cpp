#include "Methods.h"

#include "AppDebugLog.h"
#include "CommandRunner.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "StringStuff.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QFileInfo>

// The pass after a log-out: the machine sleeps, or shuts down once no login
// at all is left.
namespace {
const QString kFinderTest = QStringLiteral("(/bin/ps -axc | /usr/bin/grep Finder || echo \"yes\")");
const QString kShutdownNow = QStringLiteral("/sbin/shutdown -h +0");

// grep prints only lines naming Finder, so a line that is exactly "yes"
// can only be the echo: no Finder runs, no login is left.
bool noDesktopLeft(const QString& finderTestOutput)
{
    for (const QString& line : finderTestOutput.split(QLatin1Char('\n'))) {
        if (TextCompare::same(line.trimmed(), QStringLiteral("yes")))
            return true;
    }
    return false;
}
}  // namespace

namespace Methods {
QString getSleepCommand()
{
    return handledOr(QString(), "Methods.getSleepCommand", [] {
        const QString helper = SystemPaths::programFolder() + QStringLiteral("/DozeOff");
        if (QFileInfo::exists(SystemPaths::resolve(helper)))
            return StringStuff::Quote(helper);
        return QStringLiteral("/usr/bin/false");
    });
}

void sleepOrShutdown()
{
    handled("Methods.sleepOrShutdown", [] {
        if (!Globals::loginWindowOpen) {
            App::DebugLog(QStringLiteral("Sleep and/or Shutdown aborted..."));
            return;
        }
        const QString shutdownKey = QStringLiteral("shutdownOnLogOut");
        const QString sleepKey = QStringLiteral("sleepOnLogOut");
        if (!EasyPrefs::GetPrefBoolean(shutdownKey, true) && !EasyPrefs::GetPrefBoolean(sleepKey, true))
            return;
        // The runner is left to end with the routine, as the pass has always done.
        auto runner = CommandRunner::create();
        runner->Execute(kFinderTest);
        const bool noDesktop = noDesktopLeft(runner->Result());
        // Shutting down needs the key stored; without it the machine sleeps.
        if (EasyPrefs::GetPrefBoolean(shutdownKey, false) && noDesktop) {
            App::DebugLog(QStringLiteral("Shutting down..."));
            runner->Execute(kShutdownNow);
        } else if (EasyPrefs::GetPrefBoolean(sleepKey, true)) {
            App::DebugLog(QStringLiteral("Going to sleep..."));
            runner->Execute(getSleepCommand());
        }
    });
}
}  // namespace Methods
