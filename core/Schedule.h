#pragma once

#include "LocalDateTime.h"

#include <QString>
#include <memory>

class NightfoldUser;
class SettingsReader;
class SettingsWriter;

// One day type's rules for one managed account.
class Schedule {
public:
    Schedule();  // Constructor
    ~Schedule() = default;

    LocalDateTime Nightfold;
    LocalDateTime Uptime;
    bool UptimeOn = false;
    QString Action;
    bool Enabled = false;
    bool NightfoldOn = false;
    double MaxUsage = 0;
    bool MaxOn = false;
    bool forceLock = false;
    bool Modified = false;
    LocalDateTime Today;

    void Load(SettingsReader& stream);
    void Save(SettingsWriter& stream);
    void Clear();
    void Clarify();
    void Run(NightfoldUser& user);
    void TakeAction(NightfoldUser& user);
    bool Test();
    bool Test(const LocalDateTime& moment);
    bool keepLocked(const NightfoldUser& user);
    std::shared_ptr<Schedule> Duplicate();
    bool Compare(const Schedule& other);
    bool Outdated() const;
};
