#include "CoreFixture.h"
#include "EasyPrefs.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SettingsStream.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <limits>

namespace {
// The fixture's Friday, at a time of day.
LocalDateTime friday(int hour, int minute, int second = 0) { return LocalDateTime::fromParts(2026, 12, 11, hour, minute, second); }

// Logging in allowed from 07:00 until the given time.
void nightRule(Schedule& s, int hour, int minute)
{
    s.Enabled = s.NightfoldOn = s.UptimeOn = true;
    s.Nightfold = friday(hour, minute);
    s.Uptime = friday(7, 0);
    s.Action = QStringLiteral("Log Out");
}

void limitRule(Schedule& s, double hours)
{
    s.Enabled = s.MaxOn = true;
    s.MaxUsage = hours;
    s.Action = QStringLiteral("Log Out");
}

QByteArray saved(Schedule& s)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SettingsWriter writer(buffer);
    s.Save(writer);
    return buffer.data();
}

QByteArray hex(const char* digits) { return QByteArray::fromHex(digits); }

using Arrange = void (*)(Schedule&);

class ScheduleTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        bob.Name = QStringLiteral("bob");
    }

    bool countdownShown() const { return debugLog.contains(QStringLiteral("Displaying Countdown for \"bob\"...")); }

    NightfoldUser bob;
};
}  // namespace

TEST_F(ScheduleTest, KeepLockedFollowsTheRulesInOrder)
{
    struct Case {
        const char* rules;
        Arrange arrange;
        LocalDateTime now;
        int activeMinutes;
        bool locked;
    };
    const Arrange night = [](Schedule& s) { nightRule(s, 21, 0); };
    const Arrange limit = [](Schedule& s) { limitRule(s, 1.5); };
    const Case cases[] = {
        {"21:00-07:00", night, friday(20, 59), 0, false},
        {"21:00-07:00", night, friday(21, 0), 0, true},
        {"21:00-07:00", night, friday(23, 59), 0, true},
        {"21:00-07:00", night, friday(0, 0), 0, true},
        {"21:00-07:00", night, friday(6, 59), 0, true},
        {"21:00-07:00", night, friday(7, 0), 0, false},
        {"21:00-07:00 not enabled", [](Schedule& s) { nightRule(s, 21, 0); s.Enabled = false; }, friday(23, 0), 0, false},
        {"limit 1.5 h", limit, friday(12, 0), 89, false},
        {"limit 1.5 h", limit, friday(12, 0), 90, true},
        {"21:00-07:00 and limit 1 h", [](Schedule& s) { nightRule(s, 21, 0); limitRule(s, 1); }, friday(12, 0), 59, false},
        {"21:00-07:00 and limit 1 h", [](Schedule& s) { nightRule(s, 21, 0); limitRule(s, 1); }, friday(12, 0), 60, true},
        {"21:00-07:00 and limit 1 h", [](Schedule& s) { nightRule(s, 21, 0); limitRule(s, 1); }, friday(22, 0), 0, true},
        {"forceLock, not enabled", [](Schedule& s) { s.forceLock = true; }, friday(12, 0), 0, false},
        {"forceLock", [](Schedule& s) { s.forceLock = s.Enabled = true; }, friday(12, 0), 0, true},
        {"enabled without any rule", [](Schedule& s) { s.Enabled = true; }, friday(12, 0), 0, true},
        {"nothing", [](Schedule&) {}, friday(12, 0), 0, false},
    };
    for (const Case& c : cases) {
        Schedule s;
        c.arrange(s);
        clock.set(c.now);
        bob.activeMinutes = c.activeMinutes;
        EXPECT_EQ(s.keepLocked(bob), c.locked) << c.rules << " at " << qPrintable(c.now.timeText()) << " after "
                                               << c.activeMinutes << " min";
    }
}

TEST_F(ScheduleTest, WithoutPermittedHoursKeepLockedHoldsAllDay)
{
    Schedule upTimeAfterNightfold;
    nightRule(upTimeAfterNightfold, 13, 0);
    upTimeAfterNightfold.Uptime = friday(15, 0);
    Schedule noUptime;
    nightRule(noUptime, 21, 0);
    noUptime.UptimeOn = false;

    for (int minute = 0; minute < 24 * 60; ++minute) {
        clock.set(friday(0, 0).addSeconds(minute * 60));
        EXPECT_TRUE(upTimeAfterNightfold.keepLocked(bob)) << "13:00/15:00 at " << qPrintable(clock.now().timeText());
        EXPECT_TRUE(noUptime.keepLocked(bob)) << "no Uptime at " << qPrintable(clock.now().timeText());
    }
}

TEST_F(ScheduleTest, TestComparesHourAndMinuteOnlyAcrossMidnight)
{
    Schedule s;
    s.Nightfold = friday(0, 10);
    const struct {
        LocalDateTime moment;
        bool matches;
    } cases[] = {
        {friday(23, 55).addSeconds(15 * 60), true},  // a warning 15 minutes ahead, from the evening before
        {LocalDateTime::fromParts(2027, 6, 1, 0, 10, 59), true},
        {friday(0, 11), false},
        {friday(1, 10), false},
        {friday(0, 9, 59), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.Test(c.moment), c.matches) << qPrintable(c.moment.toText());

    clock.set(LocalDateTime::fromParts(2026, 12, 12, 0, 10, 30));
    EXPECT_TRUE(s.Test());
    clock.advanceMinutes(1);
    EXPECT_FALSE(s.Test());
}

TEST_F(ScheduleTest, CompareLooksAtEveryRuleAndTodaysDateButNotModified)
{
    const struct {
        const char* change;
        Arrange apply;
        bool equal;
    } cases[] = {
        {"nothing", [](Schedule&) {}, true},
        {"Modified", [](Schedule& s) { s.Modified = true; }, true},
        {"Action in capitals", [](Schedule& s) { s.Action = QStringLiteral("LOG OUT"); }, true},
        {"Today later the same day", [](Schedule& s) { s.Today = friday(23, 59, 59); }, true},
        {"Today on the next day", [](Schedule& s) { s.Today = LocalDateTime::fromParts(2026, 12, 12); }, false},
        {"Action", [](Schedule& s) { s.Action = QStringLiteral("Switch Out"); }, false},
        {"Nightfold one second later", [](Schedule& s) { s.Nightfold = s.Nightfold.addSeconds(1); }, false},
        {"NightfoldOn", [](Schedule& s) { s.NightfoldOn = false; }, false},
        {"Enabled", [](Schedule& s) { s.Enabled = false; }, false},
        {"forceLock", [](Schedule& s) { s.forceLock = true; }, false},
        {"MaxOn", [](Schedule& s) { s.MaxOn = false; }, false},
        {"MaxUsage", [](Schedule& s) { s.MaxUsage = 2; }, false},
        {"Uptime", [](Schedule& s) { s.Uptime = s.Uptime.addSeconds(60); }, false},
        {"UptimeOn", [](Schedule& s) { s.UptimeOn = false; }, false},
    };
    Schedule base;
    nightRule(base, 21, 0);
    limitRule(base, 1.5);
    for (const auto& c : cases) {
        Schedule other = base;
        c.apply(other);
        EXPECT_EQ(base.Compare(other), c.equal) << c.change;
        EXPECT_EQ(other.Compare(base), c.equal) << c.change << " (reversed)";
    }
}

TEST_F(ScheduleTest, OutdatedOnlyForAnOverrideOfAnotherDay)
{
    const struct {
        bool modified;
        LocalDateTime today;
        bool outdated;
    } cases[] = {
        {false, LocalDateTime(), false},
        {false, LocalDateTime::fromParts(2026, 12, 10, 12, 0), false},
        {true, friday(0, 0), false},
        {true, friday(23, 59, 59), false},
        {true, LocalDateTime::fromParts(2026, 12, 10, 23, 59, 59), true},
        {true, LocalDateTime::fromParts(2026, 12, 12), true},
        {true, LocalDateTime::fromParts(2025, 12, 11, 12, 0), true},
    };
    for (const auto& c : cases) {
        Schedule s;
        s.Modified = c.modified;
        s.Today = c.today;
        EXPECT_EQ(s.Outdated(), c.outdated) << "Modified " << c.modified << ", Today " << qPrintable(c.today.toText());
    }
}

TEST_F(ScheduleTest, DuplicateOfAnOverrideIsAPlainCopyStampedNow)
{
    Schedule override;
    nightRule(override, 21, 30);
    limitRule(override, 2.5);
    override.forceLock = true;
    override.Modified = true;
    override.Today = LocalDateTime::fromParts(2026, 12, 10, 8, 0);

    const auto copy = override.Duplicate();
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->Modified);
    EXPECT_EQ(copy->Today, clock.now());
    EXPECT_EQ(copy->Action, override.Action);
    EXPECT_EQ(copy->Nightfold, override.Nightfold);
    EXPECT_EQ(copy->Uptime, override.Uptime);
    EXPECT_EQ(copy->MaxUsage, 2.5);
    EXPECT_TRUE(copy->NightfoldOn && copy->UptimeOn && copy->Enabled && copy->forceLock && copy->MaxOn);
    EXPECT_FALSE(copy->Outdated());
}

TEST_F(ScheduleTest, ClearResetsTheRulesButKeepsToday)
{
    Schedule s;
    nightRule(s, 21, 0);
    limitRule(s, 1.5);
    s.forceLock = s.Modified = true;
    s.Today = LocalDateTime::fromParts(2026, 12, 10, 8, 0);
    clock.advanceMinutes(90);

    s.Clear();
    EXPECT_TRUE(s.Action.isEmpty());
    EXPECT_FALSE(s.Enabled || s.NightfoldOn || s.UptimeOn || s.MaxOn || s.forceLock || s.Modified);
    EXPECT_EQ(s.MaxUsage, 0);
    EXPECT_EQ(s.Nightfold, clock.now());
    EXPECT_EQ(s.Uptime, clock.now());
    EXPECT_EQ(s.Today, LocalDateTime::fromParts(2026, 12, 10, 8, 0));
}

TEST_F(ScheduleTest, SaveWritesTheRecordAndStampsAnOverrideWithTheSavingMoment)
{
    Schedule s;
    nightRule(s, 21, 0);
    limitRule(s, 1.5);
    s.Modified = true;
    s.Today = LocalDateTime::fromParts(2026, 12, 10, 12, 0);  // set yesterday

    const QByteArray expected = hex("401c000000000000") + "Log Out" + hex("01010001")
        + hex("41ece8429a000000")      // Nightfold 2026-12-11 21:00
        + hex("01") + hex("41ece829fe000000")  // Uptime 07:00
        + hex("41ece832c8000000")      // Today: now, 12:00, not the day it was set
        + hex("01") + hex("3ff8000000000000");  // MaxUsage 1.5
    const QByteArray bytes = saved(s);
    EXPECT_EQ(bytes.toHex(), expected.toHex());
    EXPECT_EQ(bytes.size(), 46 + 7);
    EXPECT_EQ(s.Today, clock.now());

    Schedule loaded;
    clock.advanceMinutes(5);
    SettingsReader reader(bytes);
    loaded.Load(reader);
    EXPECT_EQ(reader.bytesLeft(), 0);
    EXPECT_TRUE(loaded.Modified);
    EXPECT_TRUE(loaded.Compare(s));
}

TEST_F(ScheduleTest, SaveWritesZeroForRulesThatAreOffAndLoadGivesTheEpoch)
{
    Schedule s;
    s.Enabled = s.forceLock = true;  // times set but their rules off, not an override
    s.MaxUsage = 3;

    const QByteArray bytes = saved(s);
    EXPECT_EQ(bytes.toHex(), (QByteArray(8, 0) + hex("01000100") + QByteArray(8, 0) + hex("00") + QByteArray(16, 0)
                              + hex("00") + hex("4008000000000000"))
                                 .toHex());

    Schedule loaded;
    SettingsReader reader(bytes);
    loaded.Load(reader);
    EXPECT_EQ(loaded.Today, LocalDateTime());
    EXPECT_EQ(loaded.Nightfold, LocalDateTime());
    EXPECT_EQ(loaded.Uptime, LocalDateTime());
    EXPECT_TRUE(loaded.Enabled && loaded.forceLock);
    EXPECT_EQ(loaded.MaxUsage, 3);
}

TEST_F(ScheduleTest, LoadTakesOnlyByteOneAsTrueAndKeepsUnreadFieldsOnDamage)
{
    // Action "x", flags 2, 1, 255, then the record ends in the middle of Nightfold.
    const QByteArray bytes = hex("3ff0000000000000") + "x" + hex("020001ff") + hex("41ece8");
    Schedule s;
    s.MaxUsage = 4;
    s.UptimeOn = true;
    const LocalDateTime before = s.Nightfold;

    SettingsReader reader(bytes);
    s.Load(reader);
    EXPECT_EQ(s.Action, QStringLiteral("x"));
    EXPECT_FALSE(s.Enabled);
    EXPECT_FALSE(s.Modified);
    EXPECT_TRUE(s.forceLock);
    EXPECT_FALSE(s.NightfoldOn);
    EXPECT_EQ(s.Nightfold, before);
    EXPECT_TRUE(s.UptimeOn);
    EXPECT_EQ(s.MaxUsage, 4);
    EXPECT_TRUE(reader.damaged());
    EXPECT_TRUE(debugLog.join(QLatin1Char('\n')).contains(QStringLiteral("Schedule.Load")));
}

// Warnings and locks call enforcement; the countdown is what Run shows on its own.
TEST_F(ScheduleTest, RunShowsTheCountdownInTheExactMinute)
{
    const Arrange night = [](Schedule& s) { nightRule(s, 21, 0); };
    const Arrange limit = [](Schedule& s) { limitRule(s, 1.5); };
    const struct {
        const char* rules;
        Arrange arrange;
        LocalDateTime now;
        int activeMinutes;
        const char* countMinutes;  // nullptr: the default
        bool countdown;
    } cases[] = {
        {"time rule, 2 minutes before", night, friday(20, 58), 0, nullptr, true},
        {"time rule, 3 minutes before", night, friday(20, 57), 0, nullptr, false},
        {"time rule, 1 minute before", night, friday(20, 59), 0, nullptr, false},
        {"time rule at 00:01, the evening before", [](Schedule& s) { nightRule(s, 0, 1); }, friday(23, 59), 0, nullptr, true},
        {"time rule, countMinutes 5", night, friday(20, 55), 0, "5", true},
        {"time rule off", [](Schedule& s) { nightRule(s, 21, 0); s.NightfoldOn = false; }, friday(20, 58), 0, nullptr, false},
        {"no action", [](Schedule& s) { nightRule(s, 21, 0); s.Action.clear(); }, friday(20, 58), 0, nullptr, false},
        {"limit 1.5 h", limit, friday(12, 0), 88, nullptr, true},
        {"limit 1.5 h", limit, friday(12, 0), 87, nullptr, false},
        {"limit 1.5 h", limit, friday(12, 0), 89, nullptr, false},
        {"limit 0.51 h, fraction of a minute dropped", [](Schedule& s) { limitRule(s, 0.51); }, friday(12, 0), 28, nullptr, true},
        {"limit out of range", [](Schedule& s) { limitRule(s, 1e300); }, friday(12, 0), std::numeric_limits<int>::min(), nullptr, false},
    };
    for (const auto& c : cases) {
        debugLog.clear();
        EasyPrefs::clear();
        if (c.countMinutes)
            EasyPrefs::SetPrefString(QStringLiteral("countMinutes"), QString::fromLatin1(c.countMinutes));
        Schedule s;
        c.arrange(s);
        clock.set(c.now);
        bob.Active = bob.LoggedIn = true;
        bob.activeMinutes = c.activeMinutes;
        s.Run(bob);
        EXPECT_EQ(countdownShown(), c.countdown) << c.rules << " at " << qPrintable(c.now.timeText()) << " after "
                                                 << c.activeMinutes << " min";
    }
}

TEST_F(ScheduleTest, RunShowsNoCountdownWhenItIsSwitchedOff)
{
    EasyPrefs::SetPrefBoolean(QStringLiteral("displayCountdown"), false);
    Schedule s;
    nightRule(s, 21, 0);
    clock.set(friday(20, 58));
    bob.Active = bob.LoggedIn = true;
    s.Run(bob);
    EXPECT_TRUE(debugLog.isEmpty()) << qPrintable(debugLog.join(QLatin1Char('\n')));
}
