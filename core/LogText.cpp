#include "LogText.h"

namespace {
QString escaped(char16_t c)
{
    switch (c) {
    case u'\n': return QStringLiteral("\\n");
    case u'\r': return QStringLiteral("\\r");
    case u'\t': return QStringLiteral("\\t");
    case u'\u2028': return QStringLiteral("\\u2028");
    case u'\u2029': return QStringLiteral("\\u2029");
    default: return QStringLiteral("\\x%1").arg(static_cast<int>(c), 2, 16, QLatin1Char('0'));
    }
}

// C0, DEL, C1 and the two Unicode line breakers.
bool breaksTheLine(char16_t c) { return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == u'\u2028' || c == u'\u2029'; }
}  // namespace

namespace LogText {
QString oneLine(const QString& message)
{
    QString line;
    line.reserve(message.size());
    for (const QChar ch : message) {
        const char16_t c = ch.unicode();
        if (breaksTheLine(c))
            line += escaped(c);
        else
            line += ch;
    }
    return line;
}
}  // namespace LogText
