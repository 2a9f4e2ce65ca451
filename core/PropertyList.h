#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

// An account record's properties in record order; keys matched without regard
// to case, a later line with the same key replacing the earlier value.
class PropertyList {
public:
    void set(const QString& key, const QString& value);
    bool has(const QString& key) const;
    // Raises a key-not-found error when the key is missing.
    QString value(const QString& key) const;
    QString valueOr(const QString& key, const QString& fallback = {}) const;
    const QList<QPair<QString, QString>>& entries() const { return m_entries; }

private:
    // Position in m_entries by folded key: a record of many lines reads in
    // linear time (its lines are text users can make long).
    qsizetype indexOf(const QString& key) const;

    QList<QPair<QString, QString>> m_entries;
    QHash<QString, qsizetype> m_index;
};
