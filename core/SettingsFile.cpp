#include "Methods.h"
#include "NotYetBuilt.h"

namespace Methods {
void ReadPrefs() { notYetBuilt("Methods.ReadPrefs"); }
void SaveSettings(bool) { notYetBuilt("Methods.SaveSettings"); }
void SavePrefs() { notYetBuilt("Methods.SavePrefs"); }
void WriteString(SettingsWriter&, const QString&) { notYetBuilt("Methods.WriteString"); }
void WriteBoolean(SettingsWriter&, bool) { notYetBuilt("Methods.WriteBoolean"); }
bool settingsFileDamaged() { return false; }
void killAgents() { notYetBuilt("Methods.killAgents"); }
}  // namespace Methods
