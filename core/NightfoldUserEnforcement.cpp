#include "NightfoldUser.h"
#include "NotYetBuilt.h"

// Enforcement on the operating system: not built yet.
void NightfoldUser::Lock() { notYetBuilt("NightfoldUser.Lock"); }
void NightfoldUser::Restore() { notYetBuilt("NightfoldUser.Restore"); }
void NightfoldUser::LogOut() { notYetBuilt("NightfoldUser.LogOut"); }
void NightfoldUser::SwitchOut() { notYetBuilt("NightfoldUser.SwitchOut"); }
void NightfoldUser::Restart() { notYetBuilt("NightfoldUser.Restart"); }
void NightfoldUser::DisplayWarning(const QString&) { notYetBuilt("NightfoldUser.DisplayWarning"); }
void NightfoldUser::Stamp() { notYetBuilt("NightfoldUser.Stamp"); }
void NightfoldUser::Unstamp() { notYetBuilt("NightfoldUser.Unstamp"); }
void NightfoldUser::DozeOff() { notYetBuilt("NightfoldUser.DozeOff"); }
void NightfoldUser::Shutdown() { notYetBuilt("NightfoldUser.Shutdown"); }
void NightfoldUser::killFrontmostApplication() { notYetBuilt("NightfoldUser.killFrontmostApplication"); }
void NightfoldUser::killNightfold() { notYetBuilt("NightfoldUser.killNightfold"); }
