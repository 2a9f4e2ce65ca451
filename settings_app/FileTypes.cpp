#include "FileTypes.h"

#include "TextCompare.h"

namespace {
QList<FileType> g_types;
}

namespace FileTypes {
void registerTypes()
{
    g_types = {
        {QStringLiteral("text"), QStringLiteral("R*ch"), QStringLiteral("TEXT")},
        {QStringLiteral("prefs"), QStringLiteral("NfLd"), QStringLiteral("PREF")},
    };
}

const QList<FileType>& registered() { return g_types; }

FileType find(const QString& name)
{
    for (const FileType& type : g_types) {
        if (TextCompare::same(type.name, name))
            return type;
    }
    return {};
}
}  // namespace FileTypes
