#include "EasyPrefs.h"

#include "SettingsStream.h"
#include "TextCompare.h"

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

// The decimal number at the start of text (sign, digits, fraction, exponent),
// fraction dropped toward zero; 0 when the text does not begin with one.
int leadingInteger(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    const auto isDigitAt = [&t](qsizetype i) { return i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); };
    const auto skipDigits = [&](qsizetype i) {
        while (isDigitAt(i))
            ++i;
        return i;
    };
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    const qsizetype mantissaStart = end;
    end = skipDigits(end);
    bool hasDigits = end > mantissaStart;
    if (end < t.size() && t[end] == QLatin1Char('.')) {
        const qsizetype fractionEnd = skipDigits(end + 1);
        hasDigits = hasDigits || fractionEnd > end + 1;
        end = fractionEnd;
    }
    if (!hasDigits)
        return 0;
    if (end < t.size() && (t[end] == QLatin1Char('e') || t[end] == QLatin1Char('E'))) {
        qsizetype exponent = end + 1;
        if (exponent < t.size() && (t[exponent] == QLatin1Char('-') || t[exponent] == QLatin1Char('+')))
            ++exponent;
        if (isDigitAt(exponent))
            end = skipDigits(exponent);
    }
    return clampToInt(t.left(end).toDouble());
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
