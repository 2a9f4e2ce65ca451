#include "Methods.h"

#include "Clock.h"
#include "CommandRunner.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "NightfoldUser.h"
#include "StringStuff.h"
#include "TextCompare.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

// Who has a login, who is at the machine, whether the login window is in
// front, and which generation of the system this is.
namespace {
const QString kLoginWindowOwners = QStringLiteral("ps -auxcwww | awk '/loginwindow/{print $1}'");
const QString kFrontApplication = QStringLiteral("/usr/bin/osascript -e 'return path to frontmost application as text'");
const QString kFinderUser = QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system attribute \"USER\"'");
const QString kWhoAmI = QStringLiteral("who am i");
const QString kSystemVersion = QStringLiteral("sw_vers");

// Asked once per process: the system cannot change under a running program.
std::optional<bool> g_isJaguar;

QStringList trimmedLines(const QString& output)
{
    QStringList lines;
    for (const QString& line : output.split(QLatin1Char('\n')))
        lines.append(line.trimmed());
    return lines;
}

// A listing field names the user only as a whole: ps and who print the
// first 8 characters, so bob is never taken for bobby.
bool namesUser(const QString& field, const NightfoldUser& user)
{
    return !field.isEmpty() && (TextCompare::same(field, user.truncatedName()) || TextCompare::same(field, user.Name));
}

// The owners, folded, so that each user is looked up once however many
// processes the listing holds.
QSet<QString> foldedOwners(const QStringList& owners)
{
    QSet<QString> folded;
    for (const QString& owner : owners) {
        if (!owner.isEmpty())
            folded.insert(owner.toCaseFolded());
    }
    return folded;
}

bool hasLoginWindowOwner(const QSet<QString>& owners, const NightfoldUser& user)
{
    return owners.contains(user.truncatedName().toCaseFolded()) || owners.contains(user.Name.toCaseFolded());
}

// osascript gets no answer from a desktop, the authentication dialog or the
// login window itself: all stand for the login window being in front. A path
// counts only as the system's own application in the system's own folder, so
// that no application a user names or places can pass for the login window
// (and stop his minutes being counted).
bool loginWindowInFront(CommandRunner& runner)
{
    runner.Execute(kFrontApplication);
    const QString answer = runner.Result().trimmed();
    if (!answer.endsWith(QLatin1Char(':')))
        return TextCompare::contains(answer, QStringLiteral("execution error"));
    const QStringList path = answer.split(QLatin1Char(':'), Qt::SkipEmptyParts);  // volume first
    return path.size() == 5 && TextCompare::same(path[1], QStringLiteral("System"))
        && TextCompare::same(path[2], QStringLiteral("Library")) && TextCompare::same(path[3], QStringLiteral("CoreServices"))
        && (TextCompare::same(path[4], QStringLiteral("loginwindow.app")) || TextCompare::same(path[4], QStringLiteral("SecurityAgent.app")));
}

void markAtMachine(NightfoldUser& user, bool credit)
{
    if (credit)
        user.UpdateActivity();
    else
        user.Active = true;
}

std::shared_ptr<NightfoldUser> firstManagedUser(const std::function<bool(const NightfoldUser&)>& matches)
{
    for (int i = 1; i <= Globals::userCount(); ++i) {
        if (Globals::Users[i] && matches(*Globals::Users[i]))
            return Globals::Users[i];
    }
    return nullptr;
}

QString commandOutput(const QString& commandLine)
{
    auto runner = CommandRunner::create();
    runner->Execute(commandLine);
    const QString output = runner->Result();
    runner->Close();
    return output;
}

std::shared_ptr<NightfoldUser> userWhoseFinderAnswers()
{
    const QString name = commandOutput(kFinderUser).trimmed();
    return firstManagedUser([&](const NightfoldUser& user) { return !name.isEmpty() && TextCompare::same(user.Name, name); });
}

std::shared_ptr<NightfoldUser> userRunningThisApplication()
{
    const QString name = StringStuff::GetBefore(commandOutput(kWhoAmI), QStringLiteral(" "));
    auto user = firstManagedUser([&](const NightfoldUser& candidate) { return namesUser(name, candidate); });
    if (user)
        user->isCurrent = true;
    return user;
}

// "ProductVersion:\t10.2.8": 10.1.x and 10.2.x are the older systems.
bool isOlderSystemVersion(const QString& swVersOutput)
{
    for (const QString& line : trimmedLines(swVersOutput)) {
        if (!TextCompare::same(StringStuff::GetBefore(line, QStringLiteral(":")).trimmed(), QStringLiteral("ProductVersion")))
            continue;
        const QStringList parts = StringStuff::GetAfter(line, QStringLiteral(":")).trimmed().split(QLatin1Char('.'));
        bool majorOk = false;
        bool minorOk = false;
        const int major = parts.value(0).toInt(&majorOk);
        const int minor = parts.value(1).toInt(&minorOk);
        return majorOk && minorOk && major == 10 && (minor == 1 || minor == 2);
    }
    return false;
}
}  // namespace

namespace Methods {
void updateActiveUsers(bool credit)
{
    handled("Methods.updateActiveUsers", [&] {
        const LocalDateTime now = Clock::now();
        auto runner = CommandRunner::create();
        runner->Execute(kLoginWindowOwners);
        const QSet<QString> owners = foldedOwners(trimmedLines(runner->Result()));
        int loginsFound = 0;
        std::shared_ptr<NightfoldUser> lastFound;
        // A new day resets every count: saved once for all of them, not once
        // per user (which wrote the whole file as often as there are users).
        bool countsReset = false;
        for (int i = 1; i <= Globals::userCount(); ++i) {
            const auto& user = Globals::Users[i];
            user->Active = false;
            user->LoggedIn = false;
            countsReset = user->CheckActivity(now, false) || countsReset;
            if (hasLoginWindowOwner(owners, *user)) {
                user->LoggedIn = true;
                ++loginsFound;
                lastFound = user;
            }
            // Older systems have no fast user switching: every login is at the machine.
            if (isJaguar() && user->LoggedIn)
                markAtMachine(*user, credit);
        }
        if (countsReset)
            Methods::SaveSettings(true);
        Globals::loginWindowOpen = loginWindowInFront(*runner);
        runner->Close();
        if (isJaguar())
            return;
        if (Globals::loginWindowOpen) {
            for (int i = 1; i <= Globals::userCount(); ++i)
                Globals::Users[i]->Active = false;
            return;
        }
        const auto atMachine = loginsFound == 1 ? lastFound : getCurrentUser();
        if (atMachine)
            markAtMachine(*atMachine, credit);
    });
}

std::shared_ptr<NightfoldUser> getCurrentUser()
{
    return handledOr(std::shared_ptr<NightfoldUser>(), "Methods.getCurrentUser", [] {
        return program() == Program::SettingsApplication ? userRunningThisApplication() : userWhoseFinderAnswers();
    });
}

bool isLoginWindowOpen()
{
    return handledOr(false, "Methods.isLoginWindowOpen", [] {
        auto runner = CommandRunner::create();
        const bool inFront = loginWindowInFront(*runner);
        runner->Close();
        return inFront;
    });
}

bool isJaguar()
{
    return handledOr(false, "Methods.isJaguar", [] {
        if (!g_isJaguar)
            g_isJaguar = isOlderSystemVersion(commandOutput(kSystemVersion));
        return *g_isJaguar;
    });
}

void resetSensingState() { g_isJaguar.reset(); }
}  // namespace Methods
