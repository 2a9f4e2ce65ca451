#pragma once

#include <QList>
#include <QString>

// The file types the application declares: a name, the creator code of the
// program that owns such files and the four-character type.
struct FileType {
    QString name;
    QString creator;
    QString type;
};

namespace FileTypes {
// Declares "text" (R*ch, TEXT) and "prefs" (NfLd, PREF); the settings file
// is a "prefs" file and "NfLd" is the application's own creator code.
void registerTypes();
const QList<FileType>& registered();
// The type of that name (names compared ignoring case), or an empty one.
FileType find(const QString& name);
}  // namespace FileTypes
