#include "Fillintheblanks.h"

#include <QStringList>

namespace Fillintheblanks {
QString fillintheblanks(const QString& templateText, const QString& values)
{
    const QStringList fields = values.split(QLatin1Char('|'));
    QString text = templateText;
    for (qsizetype i = 1; i <= fields.size(); ++i) {
        const QString marker = QLatin1Char('\\') + QString::number(i);
        const QString& field = fields.at(i - 1);
        // A field that names later markers multiplies the text at every step:
        // past the bound the remaining markers stay as they are.
        const qsizetype grown = text.size() + text.count(marker) * (field.size() - marker.size());
        if (grown > kMaximumLength && grown > text.size())
            break;
        text.replace(marker, field);
    }
    return text;
}
}  // namespace Fillintheblanks
