// What the sensing commands print, which the people at the machine influence
// (their process names, the front application): at most one minute is
// counted per user and pass, and only a process id or the application's own
// name ever goes back to a command line, as one word.
#include "FuzzWorld.h"

#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"

#include <QRegularExpression>

namespace {
enum Section { LoginWindowOwners, FrontApplicationPath, FinderUser, ProcessListing, FrontApplicationName, SystemVersion };

// A listing line of root's with that process id (or, for a listing that puts
// the id first, a line with no owner).
bool isRootsProcess(const QString& listing, const QString& processId)
{
    for (QString line : listing.split(QRegularExpression(QStringLiteral("[\\r\\n]")))) {
        line.replace(u'\t', u' ');
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        const bool ownedByRoot = fields.size() >= 2 && fields[0].compare(QStringLiteral("root"), Qt::CaseInsensitive) == 0
            && fields[1] == processId;
        if (ownedByRoot || (line.startsWith(u' ') && fields.value(0) == processId))
            return true;
    }
    return false;
}

void answerCommands(FuzzWorld& world, const QStringList& sections)
{
    const QString account = QStringLiteral("name: %1\nshell: /bin/bash\nauthentication_authority: ;ShadowHash;\npasswd: x\n");
    world.answerDirectory(QStringLiteral("1 bob\n2 carol\n3 administrator\n"),
                          {{QStringLiteral("bob"), account.arg(QStringLiteral("bob"))},
                           {QStringLiteral("carol"), account.arg(QStringLiteral("carol"))},
                           {QStringLiteral("administrator"), account.arg(QStringLiteral("administrator"))}});
    FakeShell& shell = world.shell();
    shell.answer(QStringLiteral("ps -auxcwww"), sections.value(LoginWindowOwners));
    shell.answer(QStringLiteral("/usr/bin/osascript -e 'return path"), sections.value(FrontApplicationPath));
    shell.answer(QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system"), sections.value(FinderUser));
    shell.answer(QStringLiteral("ps -axww"), sections.value(ProcessListing));
    shell.answer(QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return name"), sections.value(FrontApplicationName));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzWorld& world = FuzzWorld::instance();
    const QStringList sections = fuzzSections(data, size);
    world.startProcess();
    // The system's version goes first: the directory answers 10.3 otherwise.
    if (sections.size() > SystemVersion)
        world.shell().answer(QStringLiteral("sw_vers"), sections[SystemVersion]);
    answerCommands(world, sections);
    Methods::ReadPrefs();
    for (int i = 1; i <= Globals::userCount(); ++i)
        Globals::Users[i]->activeDay = world.clock.now().day();

    Methods::updateActiveUsers(true);
    int counted = 0;
    for (int i = 1; i <= Globals::userCount(); ++i) {
        fuzzCheck(Globals::Users[i]->activeMinutes <= 1, "a user got more than one minute in a pass");
        counted += Globals::Users[i]->activeMinutes;
    }
    fuzzCheck(Methods::isJaguar() || counted <= 1, "more than one user counted on a system with one user in front");
    fuzzCheck(!Globals::loginWindowOpen || Methods::isJaguar() || counted == 0, "a minute counted behind the login window");

    // Only a process of root's, named by its digits, is ever reniced.
    Methods::getMoreCPU();
    static const QRegularExpression renice(QStringLiteral("^renice -20 ([0-9]+)$"));
    for (const QString& line : world.shell().commands) {
        if (!line.startsWith(QStringLiteral("renice")))
            continue;
        const auto match = renice.match(line);
        fuzzCheck(match.hasMatch(), "renice of something other than a process id", line);
        fuzzCheck(isRootsProcess(sections.value(ProcessListing), match.captured(1)), "renice of a process that is not root's", line);
    }

    const auto bob = Globals::Users.value(1);
    fuzzCheck(bob && bob->Name == QStringLiteral("bob"), "bob is not the first managed user");
    world.shell().commands.clear();
    bob->killFrontmostApplication();
    for (const QString& line : world.shell().commands) {
        if (!line.startsWith(QStringLiteral("killall")))
            continue;
        QStringList words;
        fuzzCheck(splitsIntoPlainWords(line, words), "killall is shell syntax", line);
        fuzzCheck(words == QStringList({QStringLiteral("killall"), QStringLiteral("-u"), QStringLiteral("bob"),
                                        sections.value(FrontApplicationName).trimmed()}),
                  "killall does not name the front application as one word", line);
    }
    return 0;
}
