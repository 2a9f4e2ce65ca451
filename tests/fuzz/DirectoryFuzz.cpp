// The account directory: any listing and records from niutil. Only safe short
// names are read and managed, and when the agent locks and unlocks those
// accounts every value from a record reaches niutil as one whole word.
#include "FuzzWorld.h"

#include "GetUsers.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"

#include <QSet>

namespace {
const QString kReadPrefix = QStringLiteral("niutil -read . /users/");

// Section 0 is the listing; each "niutil -read" takes the next section.
void answerFrom(FuzzWorld& world, const QStringList& sections)
{
    world.startProcess();
    auto reads = std::make_shared<int>(0);
    world.shell().answer(QStringLiteral("niutil -list . /users"), sections.value(0));
    world.shell().answer(kReadPrefix, [sections, reads](const QString&) { return sections.value(++*reads); });
    world.shell().answer(QStringLiteral("sw_vers"), QStringLiteral("ProductVersion:\t10.3.9\n"));
    // Every managed account has a login, so a lock goes on to log it out.
    world.shell().answer(QStringLiteral("ps -auxcwww"), [](const QString&) {
        QString owners;
        for (int i = 1; i <= Globals::userCount(); ++i)
            owners += Globals::Users[i]->Name + QLatin1Char('\n');
        return owners;
    });
}

void checkAccounts(const GetUsers& users, const QList<std::shared_ptr<UserClass>>& standard)
{
    fuzzCheck(!users.Get(0) && !users.Get(users.Count() + 1), "Get outside 1..Count gives an account");
    for (const auto& account : standard) {
        fuzzCheck(GetUsers::isSafeShortName(account->Name), "an unsafe short name is managed", account->Name);
        fuzzCheck(!account->Shell.isEmpty() && !account->Shell.contains(QStringLiteral("false"), Qt::CaseInsensitive)
                      && !account->Shell.contains(QStringLiteral("null"), Qt::CaseInsensitive),
                  "an account without a login shell is managed", account->Shell);
        fuzzCheck(account->Name.compare(QStringLiteral("root"), Qt::CaseInsensitive) != 0, "root is managed");
        fuzzCheck(account->Home.isEmpty() || account->Home.endsWith(QLatin1Char('/')), "a home folder without its slash");
        fuzzCheck(account->truncatedName().size() <= 8, "a truncated name longer than 8");
    }
}

// The lines the system builds from fixed text around a safe short name.
bool isFixedCompoundLine(const QString& line)
{
    return line.startsWith(QStringLiteral("ps -auxcwww | awk")) || line.startsWith(QStringLiteral("kill `ps -axuc"))
        || line.startsWith(QStringLiteral("/usr/bin/users | /usr/bin/grep -qwF "));
}

void checkCommands(const QStringList& commands, const QSet<QString>& recordValues)
{
    for (const QString& line : commands) {
        if (isFixedCompoundLine(line)) {
            // The one variable part is a safe name, which cannot leave its quotes.
            for (const QChar c : line.section(QLatin1Char('"'), 1, 1))
                fuzzCheck(c.isLetterOrNumber() || c == u'.' || c == u'_' || c == u'-' || line.startsWith(QStringLiteral("ps")),
                          "a fixed line carries more than a name", line);
            continue;
        }
        QStringList words;
        fuzzCheck(splitsIntoPlainWords(line, words), "a command line is shell syntax", line);
        if (line.startsWith(QStringLiteral("niutil -createprop "))) {
            fuzzCheck(words.size() == 6, "createprop has not exactly six words", line);
            fuzzCheck(GetUsers::isSafeShortName(words[3].mid(7)), "createprop names an unsafe record", line);
            // An empty value stands for a field the record lacks (an account without a picture).
            fuzzCheck(words[5].isEmpty() || recordValues.contains(words[5]) || words[5] == QStringLiteral("uauudt_lmk"),
                      "createprop carries a value no record holds", line);
        } else if (line.startsWith(QStringLiteral("niutil -destroyprop "))) {
            fuzzCheck(words.size() == 5, "destroyprop has not exactly five words", line);
        } else if (line.startsWith(kReadPrefix)) {
            fuzzCheck(words.size() == 4 && GetUsers::isSafeShortName(words[3].mid(7)), "a read of an unsafe name", line);
        }
    }
}

// Locks every managed account outright, then lifts the rule again.
void lockAndRestoreEveryone()
{
    for (int i = 1; i <= Globals::userCount(); ++i) {
        const auto& user = Globals::Users[i];
        user->Today->Enabled = true;
        user->Today->forceLock = true;
        user->Today->Action = QStringLiteral("Log Out");
        user->Enabled = true;
        user->LoggedIn = true;
        user->Active = true;
        user->Lock();
        user->Today->forceLock = false;
        user->Today->Enabled = false;
        user->Enabled = false;
        user->Restore();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzWorld& world = FuzzWorld::instance();
    const QStringList sections = fuzzSections(data, size);

    QSet<QString> recordValues;
    for (qsizetype i = 1; i < sections.size(); ++i) {
        const UserClass record(sections[i]);
        for (const auto& [key, value] : record.Properties->entries())
            recordValues.insert(value);
    }

    answerFrom(world, sections);
    {
        const GetUsers users;
        QList<std::shared_ptr<UserClass>> standard;
        users.FetchStandardUsers(standard);
        checkAccounts(users, standard);
    }
    checkCommands(world.shell().commands, recordValues);

    answerFrom(world, sections);
    Methods::ReadPrefs();
    lockAndRestoreEveryone();
    checkCommands(world.shell().commands, recordValues);
    return 0;
}
