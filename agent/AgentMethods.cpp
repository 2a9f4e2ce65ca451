#include "CommandRunner.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "StringStuff.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

// The routines only the agent's pass needs.
namespace {
const QString kProcessListing = QStringLiteral("ps -axww -o user,pid,command");

// Line ends to line feeds, tabs to blanks, runs of blanks to one blank, so
// the process id is always the second blank-separated field.
QString normalisedListing(QString listing)
{
    listing.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    listing.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    listing.replace(QLatin1Char('\t'), QLatin1Char(' '));
    while (listing.contains(QStringLiteral("  ")))
        listing.replace(QStringLiteral("  "), QStringLiteral(" "));
    return listing;
}

// The process id on the first line naming the agent; empty when there is
// none. A line beginning with a blank has an empty first field. Anyone can
// name a process after the agent, but only root runs it: another owner's line
// is passed over, so no user gets his own process reniced. Only digits may
// reach the root shell.
QString agentProcessId(const QString& listing)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    for (const QString& line : normalisedListing(listing).split(QLatin1Char('\n'))) {
        if (!TextCompare::contains(line, QStringLiteral("NightfoldAgent")))
            continue;
        const QString owner = line.section(QLatin1Char(' '), 0, 0);
        if (!owner.isEmpty() && !TextCompare::same(owner, QStringLiteral("root")))
            continue;
        const QString id = line.section(QLatin1Char(' '), 1, 1);
        return digits.match(id).hasMatch() ? id : QString();
    }
    return {};
}
}  // namespace

namespace Methods {
void getMoreCPU()
{
    handled("Methods.getMoreCPU", [] {
        const auto runner = CommandRunner::create();
        runner->Execute(kProcessListing);
        const QString id = agentProcessId(runner->Result());
        if (!id.isEmpty())
            runner->Execute(QStringLiteral("renice -20 ") + id);
        runner->Close();
    });
}

// No handler of its own: an error here ends the pass.
void createNeededFolders()
{
    const QString folder = SystemPaths::resolve(SystemPaths::nightfoldSupportFolder);
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const auto runner = CommandRunner::create();
    runner->Execute(QStringLiteral("chmod -R 777 ") + StringStuff::Quote(SystemPaths::nightfoldSupportFolder));
    runner->Close();
}

void CheckLocks()
{
    handled("Methods.CheckLocks", [] {
        for (int i = 1; i <= Globals::userCount(); ++i) {
            const std::shared_ptr<NightfoldUser> user = Globals::Users.at(i);
            if (!user)
                continue;
            user->Lock();
            user->Restore();
        }
    });
}
}  // namespace Methods
