#pragma once

#include <QString>
#include <memory>
#include <optional>

class NightfoldUser;
class SettingsWriter;

// The system's free routines. Each handles its own errors under its label.
namespace Methods {
// Settings file.
void ReadPrefs();
// Both answer whether the file was written (the privileged copy accepted).
bool SaveSettings(bool direct);
bool SavePrefs();
void WriteString(SettingsWriter& stream, const QString& text);
void WriteBoolean(SettingsWriter& stream, bool value);
// True after ReadPrefs met a damaged file, until it has been kept aside.
bool settingsFileDamaged();

// Day types (today, by the clock).
bool isWeekday();
bool isWeekend();

// Sensing.
void updateActiveUsers(bool credit);
std::shared_ptr<NightfoldUser> getCurrentUser();
bool isLoginWindowOpen();
bool isJaguar();

// Enforcement (agent).
QString getSleepCommand();
void sleepOrShutdown();

// Agent run cycle.
void getMoreCPU();
void createNeededFolders();
void CheckLocks();
void launchNightfold();

// Privileged operations the core needs: stops every running agent before the
// settings application writes the file.
void killAgents();

// Which program this process is; a few routines differ between the two.
enum class Program { Agent, SettingsApplication };
void setProgram(Program program);
Program program();

// Forgets what the process learnt (the system version, the file's damage).
void resetForNewProcess();
void resetSensingState();
void resetSettingsFileState();
}  // namespace Methods
