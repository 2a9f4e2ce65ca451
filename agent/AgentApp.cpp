#include "AgentApp.h"

#include "Clock.h"
#include "Console.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "LogText.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// Opened and closed per line. A line that cannot be written is dropped: a
// full disk or a broken log file must not stop the rules being enforced.
void appendToLogFile(const QString& line)
{
    const QString path = SystemPaths::resolve(SystemPaths::agentLogFile);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    log.write((line + QLatin1Char('\n')).toUtf8());
}
}  // namespace

int AgentApp::Run(const QStringList&)
{
    Methods::getMoreCPU();
    Methods::createNeededFolders();
    Methods::ReadPrefs();
    Methods::updateActiveUsers(true);

    // An earlier pass forced a log-out: clear the mark first so that it is
    // acted on once only.
    if (EasyPrefs::GetPrefBoolean(QStringLiteral("justLoggedOut"), false)) {
        EasyPrefs::SetPrefBoolean(QStringLiteral("justLoggedOut"), false);
        Methods::SaveSettings(true);
        Methods::sleepOrShutdown();
    }

    for (int i = 1; i <= Globals::userCount(); ++i) {
        const std::shared_ptr<NightfoldUser> user = Globals::Users.at(i);
        if (user)
            user->Run();
    }

    Methods::CheckLocks();
    Methods::SaveSettings(true);
    return 0;
}

void AgentApp::DebugLog(const QString& message)
{
    const LocalDateTime now = Clock::now();
    // Values from account records reach messages: keep every entry one line.
    const QString line =
        now.dateText() + QLatin1Char(' ') + now.timeText() + QStringLiteral(" NightfoldAgent: ") + LogText::oneLine(message);
    Console::writeLine(line);
    appendToLogFile(line);
}

void AgentApp::UnhandledException(std::exception_ptr error)
{
    ErrorAndLoggingGlobals::lastResort(error);
}
