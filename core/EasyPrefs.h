#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The process-wide preference store: names and text values, used from index 1
// (slot 0 is empty), names matched without regard to case, first match wins.
// No handlers here: errors pass to the caller.
namespace EasyPrefs {
extern QStringList prefNames;
extern QStringList prefItems;

QString GetPrefString(const QString& name, const QString& defaultValue);
int GetPrefNumber(const QString& name, int defaultValue);
bool GetPrefBoolean(const QString& name, bool defaultValue);
// A file item is its absolute path; nullopt is "none".
std::optional<QString> GetPrefFolderItem(const QString& name, const std::optional<QString>& defaultItem);
void SetPrefString(const QString& name, const QString& value);
void SetPrefBoolean(const QString& name, bool value);
void SetPrefFolderItem(const QString& name, const std::optional<QString>& item);
void DeletePref(const QString& name);

// Number of entries (without slot 0).
int count();
// Empties the store back to its one empty slot.
void clear();
}  // namespace EasyPrefs
