#include "TextCompare.h"

namespace TextCompare {
bool same(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

bool contains(const QString& haystack, const QString& needle) { return haystack.contains(needle, Qt::CaseInsensitive); }

qsizetype indexOf(const QString& haystack, const QString& needle, qsizetype from)
{
    return haystack.indexOf(needle, from, Qt::CaseInsensitive);
}
}  // namespace TextCompare
