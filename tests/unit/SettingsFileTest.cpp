#include "AuthorizationShell.h"
#include "CoreFixture.h"
#include "EasyPrefs.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
// The file's encodings, written out by hand so the tests do not trust the writer.
QByteArray num(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(8, Qt::Uninitialized);
    qToBigEndian(bits, bytes.data());
    return bytes;
}
QByteArray text(const QByteArray& utf8) { return num(utf8.size()) + utf8; }
QByteArray byte(int value) { return QByteArray(1, static_cast<char>(value)); }

struct ScheduleFields {
    QByteArray action;
    bool enabled = false, modified = false, forceLock = false, nightfoldOn = false;
    double nightfold = 0;
    bool uptimeOn = false;
    double uptime = 0, today = 0;
    bool maxOn = false;
    double maxUsage = 0;
};
QByteArray scheduleRecord(const ScheduleFields& s)
{
    return text(s.action) + byte(s.enabled) + byte(s.modified) + byte(s.forceLock) + byte(s.nightfoldOn) + num(s.nightfold)
        + byte(s.uptimeOn) + num(s.uptime) + num(s.today) + byte(s.maxOn) + num(s.maxUsage);
}
QByteArray userRecord(const QByteArray& name, double minutes, int day, const ScheduleFields& weekdays = {})
{
    // Today is the weekday copy on a Friday.
    return text(name) + num(minutes) + byte(day) + scheduleRecord(weekdays) + scheduleRecord(weekdays) + scheduleRecord({});
}

const double kNoon = 3879835200;  // Friday 2026-12-11 12:00, the fixture's clock
const double k2100 = 3879867600;

QString accountRecord(const QString& name)
{
    return QStringLiteral("name: %1\nrealname: %1\nshell: /bin/bash\nhome: /Users/%1\nauthentication_authority: ;ShadowHash;\n")
        .arg(name);
}

// The privileged runner: records each run and performs the copy below the root.
class FakeAuthorization : public AuthorizationServices {
public:
    struct Run {
        QString tool;
        QStringList arguments;
        qint64 reference = 0;
        int sourceMode = -1;  // permission bits of the copied file at the time of the run
    };
    QList<Run> runs;
    bool accept = true;

    std::unique_ptr<AuthorizationShell> newShell() override { return std::make_unique<Shell>(*this); }
    void freeAuthorization(qint64) override {}

private:
    class Shell : public AuthorizationShell {
    public:
        explicit Shell(FakeAuthorization& owner) : m_owner(owner) {}
        void Assign(qint64 reference) override { m_reference = reference; }
        bool Run(const QString& tool, bool, const QStringList& arguments) override
        {
            FakeAuthorization::Run run{tool, arguments, m_reference};
            const bool copy = tool == QLatin1String("/bin/cp") && arguments.size() == 3 && arguments[0] == QLatin1String("-f");
            struct stat info {};
            if (copy && ::stat(QFile::encodeName(SystemPaths::resolve(arguments[1])).constData(), &info) == 0)
                run.sourceMode = info.st_mode & 07777;
            m_owner.runs.append(run);
            if (copy && m_owner.accept) {
                QFile::remove(SystemPaths::resolve(arguments[2]));
                QFile::copy(SystemPaths::resolve(arguments[1]), SystemPaths::resolve(arguments[2]));
            }
            return m_owner.accept;
        }
        qint64 Retrieve() override { return m_reference; }
        QString Result() const override { return {}; }

    private:
        FakeAuthorization& m_owner;
        qint64 m_reference = 0;
    };
};

class SettingsFileTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        shell.answer(QStringLiteral("niutil -list . /users"), [this](const QString&) {
            QString listing;
            for (int i = 0; i < accounts.size(); ++i)
                listing += QStringLiteral("%1 %2\n").arg(501 + i).arg(accounts[i]);
            return listing;
        });
        const QString read = QStringLiteral("niutil -read . /users/");
        shell.answer(read, [read](const QString& line) { return accountRecord(line.mid(read.size())); });
        Authorization::setServices(&authorization);
    }
    void TearDown() override
    {
        Authorization::setServices(nullptr);
        CoreFixture::TearDown();
    }

    // A new agent pass or application start: fresh process-wide state.
    void newProcess(Methods::Program program = Methods::Program::Agent)
    {
        Globals::resetForNewProcess();
        Methods::setProgram(program);
    }
    std::shared_ptr<NightfoldUser> user(const QString& name) const
    {
        for (int i = 1; i <= Globals::userCount(); ++i) {
            if (Globals::Users[i]->Name == name)
                return Globals::Users[i];
        }
        return nullptr;
    }
    bool reported(const QString& label) const
    {
        return (debugLog + consoleLines).join(QLatin1Char('\n')).contains(label);
    }
    QByteArray settings() const { return readSystemFile(SystemPaths::settingsFile); }
    QStringList temporaryFiles() const
    {
        return QDir(SystemPaths::resolve(QStringLiteral("/tmp"))).entryList(QDir::Files | QDir::Hidden);
    }

    QStringList accounts{QStringLiteral("bob"), QStringLiteral("carol")};
    FakeAuthorization authorization;
};
}  // namespace

TEST_F(SettingsFileTest, EmptyStateIsSixteenZeroBytesAndReadsBackEmpty)
{
    accounts.clear();
    ASSERT_TRUE(Methods::SaveSettings(true));
    EXPECT_EQ(settings(), QByteArray(16, '\0'));

    accounts = {QStringLiteral("bob")};
    newProcess();
    Methods::ReadPrefs();
    EXPECT_EQ(EasyPrefs::count(), 0);
    ASSERT_EQ(Globals::userCount(), 1);
    EXPECT_EQ(Globals::Users[1]->activeMinutes, 0);
    EXPECT_FALSE(Methods::settingsFileDamaged());
}

TEST_F(SettingsFileTest, OnePreferenceEntryIs31Bytes)
{
    accounts.clear();
    EasyPrefs::SetPrefBoolean(QStringLiteral("showWarning"), true);
    ASSERT_TRUE(Methods::SaveSettings(true));
    const QByteArray expected = QByteArray::fromHex("3ff0000000000000" "4026000000000000") + "showWarning"
        + QByteArray::fromHex("4010000000000000") + "true" + QByteArray(8, '\0');
    EXPECT_EQ(settings(), expected);
    EXPECT_EQ(expected.size() - 16, 31);
}

TEST_F(SettingsFileTest, UserRecordIsByteExact)
{
    accounts = {QStringLiteral("bob")};
    Methods::ReadPrefs();
    auto bob = user(QStringLiteral("bob"));
    ASSERT_TRUE(bob);
    bob->activeMinutes = 90;
    bob->activeDay = 11;
    Schedule& weekdays = *bob->Weekdays;
    weekdays.Action = QStringLiteral("Log Out");
    weekdays.Enabled = weekdays.forceLock = weekdays.NightfoldOn = weekdays.MaxOn = true;
    weekdays.Nightfold = LocalDateTime::fromStoredSeconds(k2100);
    weekdays.Uptime = LocalDateTime::fromParts(2026, 12, 11, 7, 0);  // off: written as 0
    weekdays.MaxUsage = 2.5;
    Schedule& today = *bob->Today;
    today.Action = QStringLiteral("Schlafen ✓");  // lengths are UTF-8 bytes
    today.Modified = today.UptimeOn = true;
    today.Uptime = LocalDateTime::fromStoredSeconds(k2100 - 3600);
    today.Today = LocalDateTime::fromParts(2026, 12, 1);  // saving stamps it with now
    EasyPrefs::SetPrefString(QStringLiteral("appLocation"), QStringLiteral("/Applications/Nightföld.app"));
    ASSERT_TRUE(Methods::SaveSettings(true));

    const QByteArray todayRecord =
        scheduleRecord({.action = "Schlafen \xe2\x9c\x93", .modified = true, .uptimeOn = true, .uptime = k2100 - 3600, .today = kNoon});
    const QByteArray weekdaysRecord = scheduleRecord(
        {.action = "Log Out", .enabled = true, .forceLock = true, .nightfoldOn = true, .nightfold = k2100, .maxOn = true, .maxUsage = 2.5});
    EXPECT_EQ(weekdaysRecord.size(), 46 + 7);
    EXPECT_EQ(todayRecord.size(), 46 + 12);
    const QByteArray expected = num(1) + text("appLocation") + text("/Applications/Nightf\xc3\xb6ld.app") + num(1) + text("bob")
        + num(90) + byte(11) + todayRecord + weekdaysRecord + scheduleRecord({});
    EXPECT_EQ(settings(), expected);
}

TEST_F(SettingsFileTest, RoundTripKeepsUsageSchedulesAndPreferences)
{
    accounts << QStringLiteral("dave");
    Methods::ReadPrefs();
    ASSERT_EQ(Globals::userCount(), 3);
    auto bob = user(QStringLiteral("bob"));
    bob->activeMinutes = 75;
    bob->activeDay = 11;
    bob->Weekdays->NightfoldOn = bob->Weekdays->UptimeOn = bob->Weekdays->Enabled = true;
    bob->Weekdays->Action = QStringLiteral("Log Out");
    bob->Weekdays->Nightfold = LocalDateTime::fromParts(2026, 12, 11, 21, 0);
    bob->Weekdays->Uptime = LocalDateTime::fromParts(2026, 12, 11, 7, 0);
    auto carol = user(QStringLiteral("carol"));
    carol->activeMinutes = 200;
    carol->activeDay = 10;
    carol->Today->Modified = carol->Today->MaxOn = carol->Today->Enabled = true;
    carol->Today->MaxUsage = 1.5;
    user(QStringLiteral("dave"))->Weekends->forceLock = true;
    EasyPrefs::SetPrefBoolean(QStringLiteral("realWeekends"), false);
    EasyPrefs::SetPrefString(QStringLiteral("appLocation"), QStringLiteral("/Applications/Nightföld.app"));
    EasyPrefs::SetPrefString(QStringLiteral("warnMinutes"), QStringLiteral("10"));
    bob->GetSchedule();
    ASSERT_TRUE(Methods::SaveSettings(true));
    const QByteArray first = settings();

    newProcess();
    Methods::ReadPrefs();
    ASSERT_EQ(Globals::userCount(), 3);
    bob = user(QStringLiteral("bob"));
    carol = user(QStringLiteral("carol"));
    EXPECT_EQ(bob->activeMinutes, 75);
    EXPECT_EQ(bob->activeDay, 11);
    EXPECT_EQ(bob->Weekdays->Nightfold.hour(), 21);
    EXPECT_EQ(bob->Weekdays->Uptime.hour(), 7);
    EXPECT_TRUE(bob->Enabled);  // Friday: the weekday rules are today's
    EXPECT_EQ(carol->activeMinutes, 200);
    EXPECT_TRUE(carol->Today->Modified);
    EXPECT_EQ(carol->Today->MaxUsage, 1.5);
    EXPECT_TRUE(user(QStringLiteral("dave"))->Weekends->forceLock);
    EXPECT_EQ(EasyPrefs::prefNames.mid(1), QStringList({"realWeekends", "appLocation", "warnMinutes"}));
    EXPECT_EQ(EasyPrefs::GetPrefString(QStringLiteral("appLocation"), {}), QStringLiteral("/Applications/Nightföld.app"));
    EXPECT_EQ(EasyPrefs::GetPrefNumber(QStringLiteral("warnMinutes"), 15), 10);
    ASSERT_TRUE(Methods::SaveSettings(true));
    EXPECT_EQ(settings(), first);
}

TEST_F(SettingsFileTest, RecordOfAGoneAccountIsReadPastAndDroppedAtTheNextSave)
{
    writeSystemFile(SystemPaths::settingsFile,
                    num(0) + num(3) + userRecord("bob", 7, 11)
                        + userRecord("ghost", 500, 11, {.action = "Restart", .enabled = true, .maxOn = true, .maxUsage = 9})
                        + userRecord("CAROL", 42, 11));
    Methods::ReadPrefs();
    EXPECT_FALSE(Methods::settingsFileDamaged());
    ASSERT_EQ(Globals::userCount(), 2);
    EXPECT_EQ(user(QStringLiteral("bob"))->activeMinutes, 7);
    EXPECT_EQ(user(QStringLiteral("carol"))->activeMinutes, 42);  // names match without regard to case

    ASSERT_TRUE(Methods::SaveSettings(true));
    EXPECT_EQ(settings(), num(0) + num(2) + userRecord("bob", 7, 11) + userRecord("carol", 42, 11));
}

TEST_F(SettingsFileTest, NewAccountGetsFreshStateAndARecordInDirectoryOrder)
{
    writeSystemFile(SystemPaths::settingsFile, num(0) + num(2) + userRecord("bob", 7, 11) + userRecord("carol", 42, 11));
    accounts = {QStringLiteral("bob"), QStringLiteral("dave"), QStringLiteral("carol")};
    Methods::ReadPrefs();
    ASSERT_EQ(Globals::userCount(), 3);
    const auto dave = Globals::Users[2];
    EXPECT_EQ(dave->Name, QStringLiteral("dave"));
    EXPECT_EQ(dave->activeMinutes, 0);
    EXPECT_EQ(dave->activeDay, 0);
    EXPECT_FALSE(dave->Enabled);
    EXPECT_FALSE(dave->Weekdays->Enabled);

    ASSERT_TRUE(Methods::SaveSettings(true));
    EXPECT_EQ(settings(), num(0) + num(3) + userRecord("bob", 7, 11) + userRecord("dave", 0, 0) + userRecord("carol", 42, 11));
}

namespace {
// Two preferences, then bob and carol; the offsets where each piece ends.
struct SoundFile {
    QByteArray bytes;
    QList<qsizetype> prefEnds;
    qsizetype bobEnd = 0;
};
SoundFile soundFile()
{
    SoundFile file;
    file.bytes = num(2);
    file.bytes += text("showWarning") + text("true");
    file.prefEnds << file.bytes.size();
    file.bytes += text("appLocation") + text("/Applications/Nightf\xc3\xb6ld.app");
    file.prefEnds << file.bytes.size();
    file.bytes += num(2) + userRecord("bob", 75, 11, {.action = "Log Out", .enabled = true, .nightfoldOn = true, .nightfold = k2100});
    file.bobEnd = file.bytes.size();
    file.bytes += userRecord("carol", 42, 11);
    return file;
}
}  // namespace

TEST_F(SettingsFileTest, FileCutAnywhereKeepsWhatCameBefore)
{
    const SoundFile sound = soundFile();
    for (qsizetype cut = 0; cut < sound.bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        newProcess();
        debugLog.clear();
        writeSystemFile(SystemPaths::settingsFile, sound.bytes.left(cut));
        Methods::ReadPrefs();
        EXPECT_TRUE(Methods::settingsFileDamaged());
        EXPECT_TRUE(reported(QStringLiteral("Methods.ReadPrefs")));
        const auto completeEntries = std::count_if(sound.prefEnds.begin(), sound.prefEnds.end(), [cut](qsizetype end) { return end <= cut; });
        ASSERT_EQ(EasyPrefs::count(), completeEntries);
        ASSERT_EQ(EasyPrefs::prefItems.size(), EasyPrefs::prefNames.size());
        ASSERT_EQ(Globals::userCount(), 2);
        if (cut >= sound.bobEnd) {
            EXPECT_EQ(user(QStringLiteral("bob"))->activeMinutes, 75);
        }
    }
}

TEST_F(SettingsFileTest, FlippedBytesNeverStopASoundSave)
{
    const QByteArray sound = soundFile().bytes;
    std::mt19937 random(20261211);
    for (int variant = 0; variant < 300; ++variant) {
        SCOPED_TRACE(variant);
        QByteArray damaged = sound;
        const int flips = std::uniform_int_distribution<int>(1, 4)(random);
        for (int i = 0; i < flips; ++i) {
            const auto at = std::uniform_int_distribution<qsizetype>(0, damaged.size() - 1)(random);
            damaged[at] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        }
        newProcess();
        writeSystemFile(SystemPaths::settingsFile, damaged);
        Methods::ReadPrefs();
        ASSERT_EQ(EasyPrefs::prefItems.size(), EasyPrefs::prefNames.size());
        ASSERT_LE(EasyPrefs::count(), damaged.size() / 16);
        ASSERT_TRUE(Methods::SaveSettings(true));

        // Whatever was read, what is written reads back whole.
        newProcess();
        Methods::ReadPrefs();
        ASSERT_FALSE(Methods::settingsFileDamaged());
    }
}

TEST_F(SettingsFileTest, ImpossibleLengthsAndCountsEndTheRead)
{
    enum Field { PrefCount, NameLength, ValueLength, UserCount, UserNameLength, ActionLength };
    const auto fileWith = [](Field bad, double value) {
        const auto n = [&](Field field, double good) { return num(field == bad ? value : good); };
        return n(PrefCount, 1) + n(NameLength, 11) + "showWarning" + n(ValueLength, 4) + "true" + n(UserCount, 1)
            + n(UserNameLength, 3) + "bob" + num(75) + byte(11) + n(ActionLength, 0) + scheduleRecord({}).mid(8)
            + scheduleRecord({}) + scheduleRecord({});
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const double value : {1e18, -1.0, std::nan(""), inf, -inf, 1e300, 9.3e18}) {
        for (const Field field : {PrefCount, NameLength, ValueLength, UserCount, UserNameLength, ActionLength}) {
            SCOPED_TRACE(testing::Message() << "field " << field << " = " << value);
            newProcess();
            debugLog.clear();
            writeSystemFile(SystemPaths::settingsFile, fileWith(field, value));
            Methods::ReadPrefs();
            EXPECT_TRUE(Methods::settingsFileDamaged());
            EXPECT_TRUE(reported(QStringLiteral("Methods.ReadPrefs")));
            EXPECT_EQ(EasyPrefs::count(), field >= UserCount ? 1 : 0);
            EXPECT_EQ(user(QStringLiteral("bob"))->activeMinutes, field == ActionLength ? 75 : 0);
        }
    }
}

TEST_F(SettingsFileTest, DamagedFileIsKeptAsideOnceBeforeTheFirstWrite)
{
    const QByteArray damaged = soundFile().bytes.left(100);
    writeSystemFile(SystemPaths::settingsFile, damaged);
    Methods::ReadPrefs();
    ASSERT_TRUE(Methods::settingsFileDamaged());

    ASSERT_TRUE(Methods::SaveSettings(true));
    ASSERT_TRUE(Methods::SaveSettings(true));
    EXPECT_EQ(readSystemFile(QStringLiteral("/etc/nightfold.conf.damaged")), damaged);
    EXPECT_EQ(debugLog.filter(QStringLiteral("a copy was kept as /etc/nightfold.conf.damaged")).size(), 1);
    EXPECT_FALSE(Methods::settingsFileDamaged());
    EXPECT_NE(settings(), damaged);
}

TEST_F(SettingsFileTest, SettingsApplicationKeepsADamagedFileAsideThroughThePrivilegedCopy)
{
    const QByteArray damaged = soundFile().bytes.left(100);
    writeSystemFile(SystemPaths::settingsFile, damaged);
    newProcess(Methods::Program::SettingsApplication);
    Methods::ReadPrefs();
    ASSERT_TRUE(Methods::SavePrefs());

    ASSERT_EQ(authorization.runs.size(), 3);
    EXPECT_EQ(authorization.runs[1].tool, QStringLiteral("/bin/cp"));
    EXPECT_EQ(authorization.runs[1].arguments, QStringList({"-f", "/etc/nightfold.conf", "/etc/nightfold.conf.damaged"}));
    EXPECT_EQ(readSystemFile(QStringLiteral("/etc/nightfold.conf.damaged")), damaged);
    EXPECT_EQ(debugLog.filter(QStringLiteral("a copy was kept as /etc/nightfold.conf.damaged")).size(), 1);
}

TEST_F(SettingsFileTest, AtomicWriteThatCannotBeMadeReportsFalse)
{
    // The target is a folder: nothing can be put in its place.
    QDir().mkpath(SystemPaths::resolve(SystemPaths::settingsFile));
    EXPECT_FALSE(Methods::SaveSettings(true));
    EXPECT_TRUE(reported(QStringLiteral("Methods.SaveSettings")));
    EXPECT_TRUE(QFileInfo(SystemPaths::resolve(SystemPaths::settingsFile)).isDir());
}

TEST_F(SettingsFileTest, AtomicWriteThatFailsPartWayLeavesThePreviousFile)
{
    const QByteArray previous = soundFile().bytes;
    writeSystemFile(SystemPaths::settingsFile, previous);
    Methods::ReadPrefs();
    for (int i = 0; i < 40; ++i)
        EasyPrefs::SetPrefString(QStringLiteral("filler%1").arg(i), QString(100, QLatin1Char('x')));

    // A full disk: writes beyond 1 KiB fail (and raise no signal).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Methods::SaveSettings(true);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_FALSE(written);
    EXPECT_TRUE(reported(QStringLiteral("Methods.SaveSettings")));
    EXPECT_EQ(settings(), previous);
    EXPECT_EQ(QDir(SystemPaths::resolve(QStringLiteral("/etc"))).entryList(QDir::Files | QDir::Hidden),
              QStringList({"nightfold.conf"}));
}

TEST_F(SettingsFileTest, SettingsApplicationSavesThroughAPrivateTemporaryCopy)
{
    writeSystemFile(SystemPaths::settingsFile, num(0) + num(2) + userRecord("bob", 5, 11) + userRecord("carol", 0, 0));
    newProcess(Methods::Program::SettingsApplication);
    Globals::savedAuthorization = 77;
    Methods::ReadPrefs();
    // Meanwhile an agent pass counted minutes and forced a log-out.
    writeSystemFile(SystemPaths::settingsFile, num(1) + text("justLoggedOut") + text("true") + num(2) + userRecord("bob", 31, 11)
                                                   + userRecord("carol", 3, 11));
    user(QStringLiteral("bob"))->Weekdays->Action = QStringLiteral("Switch Out");
    ASSERT_TRUE(Methods::SavePrefs());

    ASSERT_EQ(authorization.runs.size(), 2);
    EXPECT_EQ(authorization.runs[0].tool, QStringLiteral("/usr/bin/killall"));
    EXPECT_EQ(authorization.runs[0].arguments, QStringList({"NightfoldAgent"}));
    const auto& copy = authorization.runs[1];
    EXPECT_EQ(copy.tool, QStringLiteral("/bin/cp"));
    ASSERT_EQ(copy.arguments.size(), 3);
    EXPECT_EQ(copy.arguments[0], QStringLiteral("-f"));
    EXPECT_TRUE(copy.arguments[1].startsWith(QStringLiteral("/tmp/"))) << copy.arguments[1].toStdString();
    EXPECT_EQ(copy.arguments[2], QStringLiteral("/etc/nightfold.conf"));
    EXPECT_EQ(copy.sourceMode, 0644);  // readable once complete: a new /etc/nightfold.conf must be readable
    EXPECT_EQ(authorization.runs[0].reference, 77);
    EXPECT_EQ(copy.reference, 77);
    EXPECT_TRUE(temporaryFiles().isEmpty());

    newProcess();
    Methods::ReadPrefs();
    EXPECT_EQ(user(QStringLiteral("bob"))->Weekdays->Action, QStringLiteral("Switch Out"));
    EXPECT_EQ(user(QStringLiteral("bob"))->activeMinutes, 31);
    EXPECT_EQ(user(QStringLiteral("carol"))->activeMinutes, 3);
    EXPECT_EQ(user(QStringLiteral("carol"))->activeDay, 11);
    EXPECT_TRUE(EasyPrefs::GetPrefBoolean(QStringLiteral("justLoggedOut"), false));
}

TEST_F(SettingsFileTest, RefusedPrivilegedCopyReportsFalseAndLeavesNoTemporaryFile)
{
    Methods::ReadPrefs();
    ASSERT_TRUE(Methods::SaveSettings(true));
    const QByteArray previous = settings();

    newProcess(Methods::Program::SettingsApplication);
    Methods::ReadPrefs();
    EasyPrefs::SetPrefBoolean(QStringLiteral("showWarning"), false);
    authorization.accept = false;
    EXPECT_FALSE(Methods::SavePrefs());
    EXPECT_EQ(settings(), previous);
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(SettingsFileTest, SecondReadReplacesThePreferencesInsteadOfAppending)
{
    const QByteArray saved = num(2) + text("showWarning") + text("true") + text("warnMinutes") + text("10") + num(0);
    for (const bool fileAtFirstRead : {true, false}) {
        SCOPED_TRACE(fileAtFirstRead);
        newProcess(Methods::Program::SettingsApplication);
        QFile::remove(SystemPaths::resolve(SystemPaths::settingsFile));
        if (fileAtFirstRead)
            writeSystemFile(SystemPaths::settingsFile, saved);
        Methods::ReadPrefs();
        if (!fileAtFirstRead) {  // the administrator's first save creates the file
            EasyPrefs::SetPrefBoolean(QStringLiteral("showWarning"), true);
            EasyPrefs::SetPrefString(QStringLiteral("warnMinutes"), QStringLiteral("10"));
            ASSERT_TRUE(Methods::SaveSettings(true));
        }
        EasyPrefs::SetPrefBoolean(QStringLiteral("showWarning"), false);
        EasyPrefs::SetPrefBoolean(QStringLiteral("useSwitching"), false);

        Methods::ReadPrefs();  // the administrator discards the changes
        EXPECT_EQ(EasyPrefs::prefNames.mid(1), QStringList({"showWarning", "warnMinutes"}));
        EXPECT_TRUE(EasyPrefs::GetPrefBoolean(QStringLiteral("showWarning"), false));
        EXPECT_EQ(Globals::userCount(), 2);
    }
}
