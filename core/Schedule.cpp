#include "Schedule.h"

#include "Clock.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "SettingsStream.h"
#include "TextCompare.h"

namespace {
// (hour, minute) of a against b: negative before, 0 same minute, positive after.
int compareTimeOfDay(const LocalDateTime& a, const LocalDateTime& b)
{
    return (a.hour() * 60 + a.minute()) - (b.hour() * 60 + b.minute());
}

double secondsOrZero(bool on, const LocalDateTime& moment) { return on ? moment.storedSeconds() : 0.0; }
}  // namespace

Schedule::Schedule()
{
    handled("Schedule.Constructor", [&] {
        const LocalDateTime now = Clock::now();
        Nightfold = now;
        Uptime = now;
        Today = now;
    });
}

void Schedule::Load(SettingsReader& stream)
{
    handled("Schedule.Load", [&] {
        Action = stream.readText();
        Enabled = stream.readFlag();
        Modified = stream.readFlag();
        forceLock = stream.readFlag();
        NightfoldOn = stream.readFlag();
        Nightfold = LocalDateTime::fromStoredSeconds(stream.readNumber());
        UptimeOn = stream.readFlag();
        Uptime = LocalDateTime::fromStoredSeconds(stream.readNumber());
        Today = LocalDateTime::fromStoredSeconds(stream.readNumber());
        MaxOn = stream.readFlag();
        MaxUsage = stream.readNumber();
    });
}

void Schedule::Save(SettingsWriter& stream)
{
    handled("Schedule.Save", [&] {
        // The stamp tells a later day that this override has gone stale.
        if (Modified)
            Today = Clock::now();
        Methods::WriteString(stream, Action);
        Methods::WriteBoolean(stream, Enabled);
        Methods::WriteBoolean(stream, Modified);
        Methods::WriteBoolean(stream, forceLock);
        Methods::WriteBoolean(stream, NightfoldOn);
        stream.writeNumber(secondsOrZero(NightfoldOn, Nightfold));
        Methods::WriteBoolean(stream, UptimeOn);
        stream.writeNumber(secondsOrZero(UptimeOn, Uptime));
        stream.writeNumber(secondsOrZero(Modified, Today));
        Methods::WriteBoolean(stream, MaxOn);
        stream.writeNumber(MaxUsage);
    });
}

void Schedule::Clear()
{
    handled("Schedule.Clear", [&] {
        Action.clear();
        Nightfold = Clock::now();
        Uptime = Clock::now();
        NightfoldOn = false;
        UptimeOn = false;
        Enabled = false;
        Modified = false;
        MaxOn = false;
        forceLock = false;
        MaxUsage = 0;
    });
}

void Schedule::Clarify()
{
    handled("Schedule.Clarify", [] {});
}

bool Schedule::Test(const LocalDateTime& moment)
{
    return handledOr(false, "Schedule.Test", [&] { return compareTimeOfDay(moment, Nightfold) == 0; });
}

bool Schedule::Test()
{
    return handledOr(false, "Schedule.SimpleTest", [&] { return Test(Clock::now()); });
}

bool Schedule::keepLocked(const NightfoldUser& user)
{
    return handledOr(false, "Schedule.keepLocked", [&] {
        if (!Enabled)
            return false;
        if (forceLock)
            return true;
        if (NightfoldOn && !UptimeOn)
            return true;
        const LocalDateTime now = Clock::now();
        if (NightfoldOn) {
            if (compareTimeOfDay(now, Nightfold) >= 0)
                return true;
            if (compareTimeOfDay(now, Uptime) < 0)
                return true;
        }
        if (MaxOn)
            return user.activeMinutes >= MaxUsage * 60;
        // Inside the permitted hours with no limit; enabled without any rule locks.
        return !NightfoldOn;
    });
}

void Schedule::Run(NightfoldUser& user)
{
    handled("Schedule.Run", [&] {
        if ((!NightfoldOn && !MaxOn) || Action.isEmpty())
            return;
        const auto lockIfNeeded = [&] {
            if (!user.LockedOut && keepLocked(user))
                user.Lock();
        };
        if (NightfoldOn && Test()) {
            lockIfNeeded();
            return;
        }
        if (MaxOn && MaxUsage < user.activeMinutes / 60.0) {
            lockIfNeeded();
            return;
        }
        const LocalDateTime now = Clock::now();
        // 64 bits: a huge stored limit less a negative stored usage must not overflow.
        const qint64 minutesLeft = qint64(clampToInt(MaxUsage * 60)) - user.activeMinutes;
        if (EasyPrefs::GetPrefBoolean(QStringLiteral("showWarning"), true)) {
            const int warnMinutes = EasyPrefs::GetPrefNumber(QStringLiteral("warnMinutes"), 15);
            if (NightfoldOn && Test(now.addSeconds(qint64(warnMinutes) * 60)))
                user.DisplayWarning(Action);
            if (MaxOn && minutesLeft == warnMinutes)
                user.DisplayWarning(Action);
        }
        if (EasyPrefs::GetPrefBoolean(QStringLiteral("displayCountdown"), true)) {
            const int countMinutes = EasyPrefs::GetPrefNumber(QStringLiteral("countMinutes"), 2);
            if (NightfoldOn && Test(now.addSeconds(qint64(countMinutes) * 60)))
                user.Countdown();
            if (MaxOn && minutesLeft == countMinutes)
                user.Countdown();
        }
    });
}

void Schedule::TakeAction(NightfoldUser& user)
{
    handled("Schedule.TakeAction", [&] {
        Methods::updateActiveUsers(false);
        if (TextCompare::same(Action, QStringLiteral("Log Out")))
            user.LogOut();
        else if (TextCompare::same(Action, QStringLiteral("Switch Out")))
            user.SwitchOut();
        else if (TextCompare::same(Action, QStringLiteral("Restart")))
            user.Restart();
        else if (TextCompare::same(Action, QStringLiteral("Sleep")))
            user.DozeOff();
        else if (TextCompare::same(Action, QStringLiteral("Shutdown")))
            user.Shutdown();
    });
}

std::shared_ptr<Schedule> Schedule::Duplicate()
{
    return handledOr(std::shared_ptr<Schedule>(), "Schedule.Duplicate", [&] {
        auto copy = std::make_shared<Schedule>();
        copy->Action = Action;
        copy->Nightfold = Nightfold;
        copy->NightfoldOn = NightfoldOn;
        copy->Enabled = Enabled;
        copy->forceLock = forceLock;
        copy->MaxOn = MaxOn;
        copy->MaxUsage = MaxUsage;
        copy->Uptime = Uptime;
        copy->UptimeOn = UptimeOn;
        return copy;
    });
}

bool Schedule::Compare(const Schedule& other)
{
    return handledOr(false, "Schedule.Compare", [&] {
        return TextCompare::same(Action, other.Action) && Nightfold == other.Nightfold && NightfoldOn == other.NightfoldOn
            && Enabled == other.Enabled && forceLock == other.forceLock && MaxOn == other.MaxOn
            && MaxUsage == other.MaxUsage && Today.sameDay(other.Today) && Uptime == other.Uptime
            && UptimeOn == other.UptimeOn;
    });
}

bool Schedule::Outdated() const { return Modified && !Today.sameDay(Clock::now()); }
