#include "NightfoldUser.h"

#include "AppDebugLog.h"
#include "Clock.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Methods.h"
#include "Schedule.h"
#include "SettingsStream.h"
#include "StringStuff.h"
#include "TextCompare.h"

#include <algorithm>
#include <limits>

NightfoldUser::NightfoldUser() { defaultConstruct(); }

NightfoldUser::NightfoldUser(const UserClass& account) { constructFrom(account); }

void NightfoldUser::constructFrom(const UserClass& account)
{
    handled("NightfoldUser.complexConstructor", [&] {
        GID = account.GID;
        Home = account.Home;
        Name = account.Name;
        PasswordHint = account.PasswordHint;
        Picture = account.Picture;
        RealName = account.RealName;
        Shell = account.Shell;
        UID = account.UID;
        Properties = account.Properties;
        defaultConstruct();
    });
}

void NightfoldUser::defaultConstruct()
{
    handled("NightfoldUser.defaultConstructor", [&] {
        if (!Today)
            Today = std::make_shared<Schedule>();
        if (!Weekdays)
            Weekdays = std::make_shared<Schedule>();
        if (!Weekends)
            Weekends = std::make_shared<Schedule>();
        if (!Properties)
            return;
        // The states the lock leaves behind on each system generation.
        if (Methods::isJaguar()) {
            LockedOut = !Properties->has(QStringLiteral("passwd"))
                || TextCompare::same(Properties->value(QStringLiteral("passwd")), QStringLiteral("uauudt_lmk"));
        } else {
            LockedOut = !Properties->has(QStringLiteral("authentication_authority"));
        }
    });
}

void NightfoldUser::Load(SettingsReader& stream)
{
    handled("NightfoldUser.Load", [&] {
        activeMinutes = stream.readInteger();
        activeDay = stream.readByte();
        Today->Load(stream);
        Weekdays->Load(stream);
        Weekends->Load(stream);
        GetSchedule();
        // Clamped: a stored limit that is huge or not a number must not overflow the cast.
        const int minutesLeft = clampToInt(Today->MaxUsage * 60 - activeMinutes);
        maxDate = Clock::now().withSecondsZeroed().addSeconds(qint64(minutesLeft) * 60);
    });
}

void NightfoldUser::Save(SettingsWriter& stream)
{
    handled("NightfoldUser.Save", [&] {
        Methods::WriteString(stream, Name);
        stream.writeNumber(activeMinutes);
        stream.writeByte(static_cast<quint8>(std::clamp(activeDay, 0, 255)));
        Today->Save(stream);
        Weekdays->Save(stream);
        Weekends->Save(stream);
    });
}

void NightfoldUser::GetSchedule()
{
    handled("NightfoldUser.GetSchedule", [&] {
        if (Today->Outdated())
            Today = std::make_shared<Schedule>();
        if (!Today->Modified) {
            if (Methods::isWeekday())
                Today = Weekdays->Duplicate();
            else if (Methods::isWeekend())
                Today = Weekends->Duplicate();
            // Friday evening belongs to the weekend, Sunday evening to the week.
            if (EasyPrefs::GetPrefBoolean(QStringLiteral("realWeekends"), true)) {
                const int day = Clock::now().dayOfWeek();
                const Schedule* evening = day == 6 ? Weekends.get() : day == 1 ? Weekdays.get() : nullptr;
                if (evening) {
                    if (evening->NightfoldOn)
                        Today->Nightfold = evening->Nightfold;
                    if (evening->MaxOn)
                        Today->MaxUsage = evening->MaxUsage;
                }
            }
        }
        Enabled = Today->Enabled;
    });
}

void NightfoldUser::Run()
{
    handled("NightfoldUser.Run", [&] {
        if (isAdmin)
            return;
        if (Enabled && LoggedIn && !LockedOut) {
            // Held here: an action may re-evaluate the user and replace Today while it runs.
            const std::shared_ptr<Schedule> today = Today;
            today->Run(*this);
        }
        GetSchedule();
    });
}

void NightfoldUser::Countdown()
{
    handled("NightfoldUser.Countdown", [&] {
        if (!Active)
            return;
        App::DebugLog(QStringLiteral("Displaying Countdown for ") + StringStuff::Quote(Name) + QStringLiteral("..."));
        Methods::launchNightfold();
    });
}

void NightfoldUser::UpdateActivity()
{
    handled("NightfoldUser.UpdateActivity", [&] {
        if (activeMinutes < std::numeric_limits<int>::max())
            ++activeMinutes;
        Active = true;
    });
}

bool NightfoldUser::CheckActivity(const LocalDateTime& now, bool saveAtOnce)
{
    if (now.day() == activeDay)
        return false;
    App::DebugLog(QStringLiteral("Resetting time for ") + StringStuff::Quote(Name) + QStringLiteral("..."));
    activeMinutes = 0;
    activeDay = now.day();
    if (saveAtOnce)
        Methods::SaveSettings(true);
    return true;
}

QString NightfoldUser::Activity() const
{
    if (activeMinutes == 0)
        return QStringLiteral("This user has not logged in today.");
    const int hours = activeMinutes / 60;
    const int minutes = activeMinutes % 60;
    QString duration;
    if (hours >= 1)
        duration = QString::number(hours) + QStringLiteral(" hours");
    if (minutes >= 1) {
        if (!duration.isEmpty())
            duration += QStringLiteral(", ");
        duration += QString::number(minutes) + QStringLiteral(" minutes");
    }
    return QStringLiteral("This user has been active for ") + duration + QStringLiteral(".");
}

QString NightfoldUser::Restrictions()
{
    return handledOr(QString(), "NightfoldUser.Restrictions", [&] {
        GetSchedule();
        QStringList names;
        if (Today->Modified && Today->Enabled)
            names << QStringLiteral("Today");
        if (Weekdays->Enabled)
            names << QStringLiteral("Weekdays");
        if (Weekends->Enabled)
            names << QStringLiteral("Weekends");
        if (names.isEmpty())
            return QStringLiteral("No restrictions in effect now.");
        return QStringLiteral("Restrictions for ") + names.join(QStringLiteral(", ")) + QStringLiteral(".");
    });
}

bool NightfoldUser::Disabled()
{
    return handledOr(false, "NightfoldUser.Disabled", [&] { return Today->forceLock; });
}
