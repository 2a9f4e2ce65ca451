#include "PropertyList.h"

#include "RuntimeError.h"

// Case-blind equal keys fold to the same text.
qsizetype PropertyList::indexOf(const QString& key) const { return m_index.value(key.toCaseFolded(), -1); }

void PropertyList::set(const QString& key, const QString& value)
{
    const qsizetype at = indexOf(key);
    if (at >= 0) {
        m_entries[at].second = value;
        return;
    }
    m_index.insert(key.toCaseFolded(), m_entries.size());
    m_entries.append({key, value});
}

bool PropertyList::has(const QString& key) const { return indexOf(key) >= 0; }

QString PropertyList::value(const QString& key) const
{
    const qsizetype at = indexOf(key);
    if (at < 0)
        throw RuntimeError(RuntimeError::Kind::KeyNotFound, QStringLiteral("no property %1").arg(key));
    return m_entries[at].second;
}

QString PropertyList::valueOr(const QString& key, const QString& fallback) const
{
    const qsizetype at = indexOf(key);
    return at < 0 ? fallback : m_entries[at].second;
}
