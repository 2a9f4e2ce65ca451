#include "StringStuff.h"

#include "TextCompare.h"

namespace StringStuff {
QString GetAfter(const QString& source, const QString& separator)
{
    const qsizetype at = TextCompare::indexOf(source, separator);
    return at < 0 ? QString() : source.mid(at + separator.size());
}

QString GetBefore(const QString& source, const QString& separator)
{
    const qsizetype at = TextCompare::indexOf(source, separator);
    return at < 0 ? QString() : source.left(at);
}

QString Quote(const QString& value)
{
    QString quoted;
    quoted.reserve(value.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : value) {
        if (c == QLatin1Char('"') || c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}
}  // namespace StringStuff
