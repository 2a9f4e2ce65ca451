#include "EasyPrefs.h"

#include "TextCompare.h"

#include <algorithm>
#include <limits>

namespace EasyPrefs {
QStringList prefNames{QString()};
QStringList prefItems{QString()};

namespace {
qsizetype find(const QString& name)
{
    for (qsizetype i = 1; i < prefNames.size(); ++i) {
        if (TextCompare::same(prefNames[i], name))
            return i;
    }
    return -1;
}

// The decimal number at the start of text, fraction dropped; 0 when none.
int leadingInteger(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    const qsizetype digitsStart = end;
    while (end < t.size() && t[end].isDigit() && t[end].unicode() < 128)
        ++end;
    if (end == digitsStart)
        return 0;
    bool ok = false;
    const qlonglong value = t.left(end).toLongLong(&ok);
    if (!ok)
        return t[0] == QLatin1Char('-') ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp<qlonglong>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
}  // namespace

QString GetPrefString(const QString& name, const QString& defaultValue)
{
    const qsizetype at = find(name);
    return at < 0 ? defaultValue : prefItems[at];
}

int GetPrefNumber(const QString& name, int defaultValue)
{
    return leadingInteger(GetPrefString(name, QString::number(defaultValue)));
}

bool GetPrefBoolean(const QString& name, bool defaultValue)
{
    return TextCompare::same(GetPrefString(name, defaultValue ? QStringLiteral("true") : QStringLiteral("false")),
                             QStringLiteral("true"));
}

std::optional<QString> GetPrefFolderItem(const QString& name, const std::optional<QString>& defaultItem)
{
    const QString path = GetPrefString(name, defaultItem.value_or(QString()));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void SetPrefString(const QString& name, const QString& value)
{
    const qsizetype at = find(name);
    if (at < 0) {
        prefNames.append(name);
        prefItems.append(value);
    } else {
        prefItems[at] = value;
    }
}

void SetPrefBoolean(const QString& name, bool value)
{
    SetPrefString(name, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void SetPrefFolderItem(const QString& name, const std::optional<QString>& item)
{
    if (item)
        SetPrefString(name, *item);
    else
        DeletePref(name);
}

void DeletePref(const QString& name)
{
    const qsizetype at = find(name);
    if (at < 0)
        return;
    prefNames.removeAt(at);
    prefItems.removeAt(at);
}

int count() { return static_cast<int>(prefNames.size()) - 1; }

void clear()
{
    prefNames = QStringList{QString()};
    prefItems = QStringList{QString()};
}
}  // namespace EasyPrefs
