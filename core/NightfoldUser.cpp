#include "NightfoldUser.h"

#include "NotYetBuilt.h"
#include "Schedule.h"

NightfoldUser::NightfoldUser() { defaultConstruct(); }
NightfoldUser::NightfoldUser(const UserClass& account) { constructFrom(account); }
void NightfoldUser::constructFrom(const UserClass&) { notYetBuilt("NightfoldUser.complexConstructor"); }
void NightfoldUser::defaultConstruct() {}
void NightfoldUser::Load(SettingsReader&) { notYetBuilt("NightfoldUser.Load"); }
void NightfoldUser::Save(SettingsWriter&) { notYetBuilt("NightfoldUser.Save"); }
void NightfoldUser::GetSchedule() { notYetBuilt("NightfoldUser.GetSchedule"); }
void NightfoldUser::Run() { notYetBuilt("NightfoldUser.Run"); }
void NightfoldUser::Countdown() { notYetBuilt("NightfoldUser.Countdown"); }
void NightfoldUser::UpdateActivity() { notYetBuilt("NightfoldUser.UpdateActivity"); }
void NightfoldUser::CheckActivity(const LocalDateTime&) { notYetBuilt("NightfoldUser.CheckActivity"); }
QString NightfoldUser::Activity() const { notYetBuilt("NightfoldUser.Activity"); }
QString NightfoldUser::Restrictions() { notYetBuilt("NightfoldUser.Restrictions"); }
bool NightfoldUser::Disabled() { notYetBuilt("NightfoldUser.Disabled"); }
