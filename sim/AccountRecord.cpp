#include "AccountRecord.h"

qsizetype AccountRecord::indexOf(const QString& key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].first == key)
            return i;
    }
    return -1;
}

bool AccountRecord::has(const QString& key) const { return indexOf(key) >= 0; }

QString AccountRecord::value(const QString& key) const
{
    const qsizetype at = indexOf(key);
    return at < 0 ? QString() : m_entries[at].second;
}

void AccountRecord::set(const QString& key, const QString& value)
{
    const qsizetype at = indexOf(key);
    if (at < 0)
        m_entries.append({key, value});
    else
        m_entries[at].second = value;
}

bool AccountRecord::remove(const QString& key)
{
    const qsizetype at = indexOf(key);
    if (at < 0)
        return false;
    m_entries.removeAt(at);
    return true;
}

QString AccountRecord::niutilText() const
{
    // niutil writes the key, a colon, then each value after a blank: a
    // property without values is the key and the colon alone.
    QString text;
    for (const auto& [key, value] : m_entries) {
        text += key + QLatin1Char(':');
        if (!value.isEmpty())
            text += QLatin1Char(' ') + value;
        text += QLatin1Char('\n');
    }
    return text;
}
