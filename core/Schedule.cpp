#include "Schedule.h"

#include "Clock.h"
#include "NotYetBuilt.h"

Schedule::Schedule() : Nightfold(Clock::now()), Uptime(Clock::now()), Today(Clock::now()) {}
void Schedule::Load(SettingsReader&) { notYetBuilt("Schedule.Load"); }
void Schedule::Save(SettingsWriter&) { notYetBuilt("Schedule.Save"); }
void Schedule::Clear() { notYetBuilt("Schedule.Clear"); }
void Schedule::Clarify() {}
void Schedule::Run(NightfoldUser&) { notYetBuilt("Schedule.Run"); }
void Schedule::TakeAction(NightfoldUser&) { notYetBuilt("Schedule.TakeAction"); }
bool Schedule::Test() { notYetBuilt("Schedule.SimpleTest"); }
bool Schedule::Test(const LocalDateTime&) { notYetBuilt("Schedule.Test"); }
bool Schedule::keepLocked(const NightfoldUser&) { notYetBuilt("Schedule.keepLocked"); }
std::shared_ptr<Schedule> Schedule::Duplicate() { notYetBuilt("Schedule.Duplicate"); }
bool Schedule::Compare(const Schedule&) { notYetBuilt("Schedule.Compare"); }
bool Schedule::Outdated() const { notYetBuilt("Schedule.Outdated"); }
