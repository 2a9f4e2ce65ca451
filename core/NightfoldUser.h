#pragma once

#include "LocalDateTime.h"
#include "UserClass.h"

#include <memory>

class Schedule;
class SettingsReader;
class SettingsWriter;

// One managed account: its directory record, three schedules, today's usage
// and the per-pass flags that sensing and enforcement keep.
class NightfoldUser : public UserClass {
public:
    NightfoldUser();  // constructor without arguments
    explicit NightfoldUser(const UserClass& account);
    ~NightfoldUser() override = default;

    // The constructor from a UserClass, run again on an existing user: fresh
    // account fields and lock state, the schedules kept.
    void constructFrom(const UserClass& account);

    std::shared_ptr<Schedule> Weekdays;
    std::shared_ptr<Schedule> Today;
    std::shared_ptr<Schedule> Weekends;
    bool LockedOut = false;
    int activeMinutes = 0;
    bool Enabled = false;
    bool Active = false;
    int activeDay = 0;
    bool isAdmin = false;
    bool isCurrent = false;
    LocalDateTime maxDate;
    bool LoggedIn = false;

    void Load(SettingsReader& stream);
    void Save(SettingsWriter& stream);
    void GetSchedule();
    void Run();
    void Countdown();
    void UpdateActivity();
    // Resets the count on a new day and saves at once, or leaves the save to
    // the caller (who resets many users and saves once); true when it reset.
    bool CheckActivity(const LocalDateTime& now, bool saveAtOnce = true);
    QString Activity() const;
    QString Restrictions();
    bool Disabled();

    // Enforcement on the operating system.
    void Lock();
    void Restore();
    void LogOut();
    void SwitchOut();
    void Restart();
    void DisplayWarning(const QString& action);
    void Stamp();
    void Unstamp();
    void DozeOff();
    void Shutdown();
    void killFrontmostApplication();
    void killNightfold();

private:
    void defaultConstruct();
};
