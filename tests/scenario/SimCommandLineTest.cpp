// nightfold-sim driven as a person would: arguments in, lines out, the
// machine's folder read and written between calls.
#include "ScenarioFixture.h"

#include "SimCommandLine.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTextStream>

namespace {
// Every file and folder below a folder, with the files' contents.
std::map<std::string, std::string> folderContents(const QString& folder)
{
    std::map<std::string, std::string> contents;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry = it.nextFileInfo();
        QFile file(entry.filePath());
        const std::string content = entry.isDir() ? "<folder>" : (file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>");
        contents[QDir(folder).relativeFilePath(entry.filePath()).toStdString()] = content;
    }
    return contents;
}
}  // namespace

class SimCommandLineTest : public ScenarioFixture {
protected:
    int run(const QStringList& arguments)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int status = SimCommandLine(outStream, errStream, QStringLiteral(NIGHTFOLD_STARTUP_DIR)).run(arguments);
        outStream.flush();
        errStream.flush();
        return status;
    }

    Lines outLines() const { return toLines(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)); }

    QString folder(const QString& name) const { return root.filePath(name); }

    QString out;
    QString err;
};

TEST_F(SimCommandLineTest, DemoPrintsTheEveningInOrder)
{
    ASSERT_EQ(run({QStringLiteral("demo")}), 0);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    const QString timeline = out.mid(out.indexOf(QStringLiteral("\n\n")) + 2);
    EXPECT_EQ(toLines(timeline.split(QLatin1Char('\n'), Qt::SkipEmptyParts)), (Lines{
                                                                                  "20:40:00  agent    Resetting time for \"bob\"...",
                                                                                  "20:45:00  agent    Warning displayed for \"bob\"",
                                                                                  "20:45:00  machine  warning opened: bob",
                                                                                  "20:58:00  agent    Displaying Countdown for \"bob\"...",
                                                                                  "20:58:00  machine  countdown opened: bob",
                                                                                  "21:00:00  agent    Locking user \"Bob Smith\"...",
                                                                                  "21:00:00  machine  account locked: bob",
                                                                                  "21:00:00  agent    Logging out user \"bob\"...",
                                                                                  "21:00:00  machine  user logged out: bob",
                                                                                  "21:01:00  agent    Going to sleep...",
                                                                                  "21:01:00  machine  machine asleep",
                                                                                  "06:30:00  machine  woken up",
                                                                                  "06:30:00  agent    Resetting time for \"bob\"...",
                                                                                  "07:00:00  agent    Restoring user \"Bob Smith\"...",
                                                                                  "07:00:00  machine  account restored: bob",
                                                                              }));
}

// A folder made by init, given a user and rules, then run and passed over;
// the machine's state lives on in machine.json between the calls.
TEST_F(SimCommandLineTest, InitRunAndPassOnAFolder)
{
    const QString dir = root.path();
    ASSERT_EQ(run({QStringLiteral("init"), dir}), 0);
    EXPECT_EQ(outLines(), Lines{("A new machine (Mac OS X 10.3) is in " + dir + "/machine.json").toStdString()});
    ASSERT_EQ(machine.load(dir), QString());
    QFile rootCrontab(root.filePath(QStringLiteral("var/cron/tabs/root")));
    ASSERT_TRUE(rootCrontab.open(QIODevice::ReadOnly));
    EXPECT_EQ(rootCrontab.readAll().toStdString(), "*\t*\t*\t*\t*\t/Library/StartupItems/NightfoldStartup/NightfoldAgent\n");
    EXPECT_TRUE(QFile::exists(root.filePath(QStringLiteral("Library/StartupItems/NightfoldStartup/Images/LockIcon.pict"))));

    setUpMachine([](SimulatedMachine& m) {
        m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith"));
        m.logIn(QStringLiteral("bob"));
    });
    writeSettings({{QStringLiteral("bob"), eveningRules()}});
    ASSERT_EQ(machine.save(dir), QString());

    ASSERT_EQ(run({QStringLiteral("run"), dir, QStringLiteral("--from"), QStringLiteral("2026-12-09 20:59"), QStringLiteral("--to"),
                   QStringLiteral("2026-12-09 21:01")}),
              0);
    EXPECT_EQ(outLines(), (Lines{
                              "2026-12-09 20:59:00  agent    Resetting time for \"bob\"...",
                              "2026-12-09 21:00:00  agent    Locking user \"Bob Smith\"...",
                              "2026-12-09 21:00:00  machine  account locked: bob",
                              "2026-12-09 21:00:00  agent    Logging out user \"bob\"...",
                              "2026-12-09 21:00:00  machine  user logged out: bob",
                              "2026-12-09 21:01:00  agent    Going to sleep...",
                              "2026-12-09 21:01:00  machine  machine asleep",
                          }));
    ASSERT_EQ(run({QStringLiteral("pass"), dir, QStringLiteral("--at"), QStringLiteral("2026-12-10 07:00")}), 0);
    EXPECT_EQ(outLines(), Lines{"2026-12-10 07:00:00  machine  not awake: no pass"});

    ASSERT_EQ(machine.load(dir), QString());
    EXPECT_TRUE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_EQ(machine.power(), PowerState::Asleep);
    machine.wake();
    ASSERT_EQ(machine.save(dir), QString());
    ASSERT_EQ(run({QStringLiteral("pass"), dir, QStringLiteral("--at"), QStringLiteral("2026-12-10 07:00:30"), QStringLiteral("--trace")}), 0);
    const Lines lines = outLines();
    EXPECT_EQ(matching(out.split(QLatin1Char('\n')), QStringLiteral("authentication_authority")),
              Lines{"    $ niutil -createprop . /users/bob authentication_authority \";ShadowHash;\""});
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()), (Lines{
                                                       "2026-12-10 07:00:30  agent    Resetting time for \"bob\"...",
                                                       "2026-12-10 07:00:30  agent    Restoring user \"Bob Smith\"...",
                                                       "2026-12-10 07:00:30  machine  account restored: bob",
                                                   }));
    for (auto line = lines.begin(); line != lines.end() - 3; ++line)
        EXPECT_EQ(line->rfind("    $ ", 0), 0u) << *line;
    ASSERT_EQ(machine.load(dir), QString());
    EXPECT_FALSE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_EQ(machine.eventTexts().last().toStdString(), "account restored: bob");
}

TEST_F(SimCommandLineTest, OlderSystemOnRequest)
{
    ASSERT_EQ(run({QStringLiteral("init"), folder(QStringLiteral("m")), QStringLiteral("--os"), QStringLiteral("10.2")}), 0);
    ASSERT_EQ(machine.load(folder(QStringLiteral("m"))), QString());
    EXPECT_EQ(machine.state().osVersion, QStringLiteral("10.2"));
}

// Each refusal: one line on the error stream, status 2, nothing printed and
// nothing in the folder changed.
TEST_F(SimCommandLineTest, RefusalsPrintOneLineAndChangeNothing)
{
    const QString machineFolder = folder(QStringLiteral("m"));
    ASSERT_EQ(run({QStringLiteral("init"), machineFolder}), 0);
    const QString newFolder = folder(QStringLiteral("new"));
    const auto withMachineFile = [&](const QString& name, const QByteArray& content) {
        const QString dir = folder(name);
        QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/machine.json"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return dir;
    };
    const QString notJson = withMachineFile(QStringLiteral("notJson"), "{\"format\": ");
    const QString wrongKind = withMachineFile(QStringLiteral("wrongKind"), "{\"format\": \"nightfold-sim machine 1\", \"accounts\": 5}");
    const QString wrongFormat = withMachineFile(QStringLiteral("wrongFormat"), "{\"format\": \"something else\", \"accounts\": []}");
    const QString unreadable = folder(QStringLiteral("unreadable"));
    QDir().mkpath(unreadable + QStringLiteral("/machine.json"));  // a folder where the file belongs
    const QString at = QStringLiteral("--at");
    const QString evening = QStringLiteral("2026-12-09 21:00");

    const QList<QStringList> refused{
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("demo"), QStringLiteral("now")},
        {QStringLiteral("init")},
        {QStringLiteral("init"), newFolder, QStringLiteral("--os"), QStringLiteral("10.4")},
        {QStringLiteral("init"), newFolder, QStringLiteral("--colour")},
        {QStringLiteral("init"), machineFolder},  // already there
        {QStringLiteral("pass"), machineFolder},
        {QStringLiteral("pass"), machineFolder, at, evening, QStringLiteral("--verbose")},
        {QStringLiteral("pass"), machineFolder, at, QStringLiteral("2026-12-09 25:00")},
        {QStringLiteral("pass"), machineFolder, at, QStringLiteral("2026-02-30 21:00")},
        {QStringLiteral("pass"), machineFolder, at, QStringLiteral("tomorrow")},
        {QStringLiteral("run"), machineFolder, QStringLiteral("--from"), evening},
        {QStringLiteral("run"), machineFolder, QStringLiteral("--from"), QStringLiteral("21:00"), QStringLiteral("--to"), evening},
        {QStringLiteral("run"), machineFolder, QStringLiteral("--from"), evening, QStringLiteral("--to"), QStringLiteral("2026-12-09 20:00")},
        {QStringLiteral("pass"), newFolder, at, evening},  // no machine there
        {QStringLiteral("pass"), unreadable, at, evening},
        {QStringLiteral("pass"), notJson, at, evening},
        {QStringLiteral("run"), wrongKind, QStringLiteral("--from"), evening, QStringLiteral("--to"), evening},
        {QStringLiteral("pass"), wrongFormat, at, evening},
    };
    const auto before = folderContents(root.path());
    for (const QStringList& arguments : refused) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(run(arguments), 2);
        EXPECT_EQ(err.count(QLatin1Char('\n')), 1);
        EXPECT_TRUE(err.startsWith(QStringLiteral("nightfold-sim: ")) && err.endsWith(QLatin1Char('\n'))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        EXPECT_EQ(folderContents(root.path()), before);
    }
}
