#include "SettingsMethods.h"

#include "AuthorizationShell.h"
#include "CommandRunner.h"
#include "CronTasks.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "ScheduledTask.h"
#include "StringStuff.h"
#include "SystemPaths.h"
#include "TextCompare.h"
#include "UserClass.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QString g_applicationFolder;

const QString kAgentName = QStringLiteral("NightfoldAgent");
const QString kSourceFolderName = QStringLiteral("NightfoldStartup");
const QString kSwitchTool = QStringLiteral("/System/Library/CoreServices/Menu Extras/User.menu/Contents/Resources/CGSession");

QString sourceFolder() { return Methods::applicationFolder() + QLatin1Char('/') + kSourceFolderName; }

std::unique_ptr<AuthorizationShell> sharedRunner()
{
    auto runner = Authorization::newShell();
    runner->Assign(Globals::savedAuthorization);
    return runner;
}

QString shellOutput(const QString& commandLine)
{
    auto runner = CommandRunner::create();
    runner->Execute(commandLine);
    const QString output = runner->Result();
    runner->Close();
    return output;
}

// The crontab of the superuser, read through the shared authorization.
std::unique_ptr<CronTasks> rootCrontab()
{
    return std::make_unique<CronTasks>(QStringLiteral("root"), true, Globals::savedAuthorization);
}

// The members the group record lists under "users" (blank- or comma-separated).
QStringList groupMembers(const QString& groupRecord)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    return UserClass(groupRecord).GetValue(QStringLiteral("users")).split(separators, Qt::SkipEmptyParts);
}

bool isMember(const QStringList& members, const QString& name)
{
    return std::any_of(members.cbegin(), members.cend(), [&](const QString& member) { return TextCompare::same(member, name); });
}
}  // namespace

namespace Methods {
bool Authorize()
{
    return handledOr(false, "Methods.Authorize", [] {
        // A held authorization this replaces is given up, not forgotten with its rights.
        const qint64 previous = Globals::savedAuthorization;
        auto runner = Authorization::newShell();
        const bool ran = runner->Run(QStringLiteral("/bin/echo"), true, {QStringLiteral("Yeehaw!")});
        Globals::savedAuthorization = runner->Retrieve();
        if (previous != 0 && previous != Globals::savedAuthorization)
            Authorization::services().freeAuthorization(previous);
        if (!ran) {
            if (Globals::savedAuthorization != 0)
                Authorization::services().freeAuthorization(Globals::savedAuthorization);
            Globals::savedAuthorization = 0;
            return false;
        }
        return true;
    });
}

void DropRights()
{
    handled("Methods.DropRights", [] {
        if (Globals::savedAuthorization == 0)
            return;
        Authorization::services().freeAuthorization(Globals::savedAuthorization);
        Globals::savedAuthorization = 0;
    });
}

void installAgent()
{
    handled("Methods.installAgent", [] {
        if (Globals::savedAuthorization == 0)
            Authorize();
        if (isAgentInstalled()) {
            if (!agentNeedsUpdating())
                return;
            removeAgent();
        }
        const QFileInfo source(sourceFolder());
        if (!source.isDir())
            return;
        // The tools get system paths; a source outside the root is its real path.
        const QString sourcePath = SystemPaths::toSystemPath(source.absoluteFilePath());
        const QString startupItems = SystemPaths::resolve(SystemPaths::startupItemsFolder);
        if (!QFileInfo::exists(startupItems))
            QDir().mkdir(startupItems);

        auto runner = sharedRunner();
        runner->Run(QStringLiteral("/usr/sbin/chown"), true, {QStringLiteral("0:0"), SystemPaths::startupItemsFolder});
        runner->Run(QStringLiteral("/usr/sbin/chmod"), true, {QStringLiteral("6550"), SystemPaths::startupItemsFolder});
        runner->Run(QStringLiteral("/bin/cp"), true, {QStringLiteral("-Rf"), sourcePath, SystemPaths::installedFolder});
        runner->Run(QStringLiteral("/usr/sbin/chown"), true, {QStringLiteral("-R"), QStringLiteral("0:0"), SystemPaths::installedFolder});
        runner->Run(QStringLiteral("/usr/sbin/chmod"), true, {QStringLiteral("-R"), QStringLiteral("6550"), SystemPaths::installedFolder});

        // Every minute: a new entry has "*" in each time field.
        const auto crontab = rootCrontab();
        auto entry = std::make_shared<ScheduledTask>();
        entry->Command = SystemPaths::installedAgent;
        crontab->Add(entry);
        crontab->SaveChanges();

        SavePrefs();
        runAgentNow();
    });
}

void removeAgent()
{
    handled("Methods.removeAgent", [] {
        if (Globals::savedAuthorization == 0)
            Authorize();
        const auto crontab = rootCrontab();
        crontab->Clean({QStringLiteral("Nightfold")});
        crontab->SaveChanges();

        // The agent runs once without a settings file; what it may write then goes too.
        auto runner = sharedRunner();
        runner->Run(QStringLiteral("/bin/rm"), true, {QStringLiteral("-f"), SystemPaths::settingsFile});
        runAgentNow();
        runner->Run(QStringLiteral("/bin/rm"), true, {QStringLiteral("-f"), SystemPaths::settingsFile});
        runner->Run(QStringLiteral("/usr/bin/killall"), true, {kAgentName});
        runner->Run(QStringLiteral("/bin/rm"), true, {QStringLiteral("-R"), QStringLiteral("-f"), SystemPaths::installedFolder});
    });
}

bool isAgentInstalled()
{
    return handledOr(false, "Methods.isAgentInstalled",
                     [] { return QFileInfo::exists(SystemPaths::resolve(SystemPaths::installedFolder)); });
}

bool agentNeedsUpdating()
{
    return handledOr(false, "Methods.agentNeedsUpdating", [] {
        if (!isAgentInstalled())
            return false;
        const QFileInfo installed(SystemPaths::resolve(SystemPaths::installedAgent));
        const QFileInfo fresh(sourceFolder() + QLatin1Char('/') + kAgentName);
        // Nothing to update from without a fresh agent; an installed folder
        // that lost its agent is as good as outdated.
        if (!fresh.exists())
            return false;
        if (!installed.exists())
            return true;
        return installed.lastModified() < fresh.lastModified();
    });
}

void runAgentNow()
{
    handled("Methods.runAgentNow", [] { sharedRunner()->Run(SystemPaths::installedAgent, true, {}); });
}

void determineAdminStatus()
{
    handled("Methods.determineAdminStatus", [] {
        // Membership, not any mention: a user named "min" or "admin" is not an
        // administrator because the record says "name: admin".
        const QStringList members = groupMembers(shellOutput(QStringLiteral("niutil -read . /groups/admin")));
        for (int i = 1; i <= Globals::userCount(); ++i) {
            if (const auto& user = Globals::Users.at(i))
                user->isAdmin = isMember(members, user->Name);
        }
    });
}

bool canSwitchOut()
{
    return handledOr(false, "Methods.canSwitchOut", [] {
        return !TextCompare::contains(shellOutput(QStringLiteral("file ") + StringStuff::Quote(kSwitchTool)), QStringLiteral("Can't"));
    });
}

QString applicationFolder()
{
    return g_applicationFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_applicationFolder;
}
void setApplicationFolder(const QString& realFolder) { g_applicationFolder = realFolder; }
}  // namespace Methods
