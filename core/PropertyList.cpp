#include "PropertyList.h"

#include "RuntimeError.h"
#include "TextCompare.h"

void PropertyList::set(const QString& key, const QString& value)
{
    for (auto& entry : m_entries) {
        if (TextCompare::same(entry.first, key)) {
            entry.second = value;
            return;
        }
    }
    m_entries.append({key, value});
}

bool PropertyList::has(const QString& key) const
{
    for (const auto& entry : m_entries) {
        if (TextCompare::same(entry.first, key))
            return true;
    }
    return false;
}

QString PropertyList::value(const QString& key) const
{
    for (const auto& entry : m_entries) {
        if (TextCompare::same(entry.first, key))
            return entry.second;
    }
    throw RuntimeError(RuntimeError::Kind::KeyNotFound, QStringLiteral("no property %1").arg(key));
}

QString PropertyList::valueOr(const QString& key, const QString& fallback) const
{
    return has(key) ? value(key) : fallback;
}
