#include "ShellWords.h"

namespace {
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Characters sh gives a meaning outside quotes.
bool isSpecialOutsideQuotes(QChar c)
{
    static const QString special = QStringLiteral("|&;<>()$`*?[\n");
    return special.contains(c);
}

// Characters a backslash escapes inside double quotes.
bool isEscapableInDoubleQuotes(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('\\');
}
}  // namespace

namespace ShellWords {
std::optional<QStringList> split(const QString& line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (isBlank(c)) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        if (!inWord && (c == QLatin1Char('#') || c == QLatin1Char('~')))
            return std::nullopt;
        if (c == QLatin1Char('\'')) {
            const qsizetype close = line.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0)
                return std::nullopt;
            word += line.mid(i + 1, close - i - 1);
            i = close;
        } else if (c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            for (; j < n && line[j] != QLatin1Char('"'); ++j) {
                const QChar d = line[j];
                if (d == QLatin1Char('\\') && j + 1 < n && isEscapableInDoubleQuotes(line[j + 1])) {
                    word += line[++j];
                } else if (d == QLatin1Char('$') || d == QLatin1Char('`')) {
                    return std::nullopt;
                } else {
                    word += d;
                }
            }
            if (j >= n)
                return std::nullopt;
            i = j;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 >= n)
                return std::nullopt;
            word += line[++i];
        } else if (isSpecialOutsideQuotes(c)) {
            return std::nullopt;
        } else {
            word += c;
        }
        inWord = true;
    }
    if (inWord)
        words.append(word);
    if (words.isEmpty())
        return std::nullopt;
    return words;
}
}  // namespace ShellWords
