#include "Fillintheblanks.h"

#include <QStringList>

namespace Fillintheblanks {
QString fillintheblanks(const QString& templateText, const QString& values)
{
    const QStringList fields = values.split(QLatin1Char('|'));
    QString text = templateText;
    for (qsizetype i = 1; i <= fields.size(); ++i)
        text.replace(QLatin1Char('\\') + QString::number(i), fields.at(i - 1));
    return text;
}
}  // namespace Fillintheblanks
