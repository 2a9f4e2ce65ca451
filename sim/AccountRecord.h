#pragma once

#include <QList>
#include <QPair>
#include <QString>

// One directory record (an account or a group) as niutil shows it: keys in
// record order, each with one text. Several values of a property are one text
// separated by blanks, as niutil prints them. Keys are matched exactly, as the
// directory does.
class AccountRecord {
public:
    using Entry = QPair<QString, QString>;

    AccountRecord() = default;
    explicit AccountRecord(QList<Entry> entries) : m_entries(std::move(entries)) {}

    bool has(const QString& key) const;
    QString value(const QString& key) const;
    // Replaces the value in place, or appends a new key at the end.
    void set(const QString& key, const QString& value);
    // False when the record had no such key.
    bool remove(const QString& key);
    const QList<Entry>& entries() const { return m_entries; }

    QString name() const { return value(QStringLiteral("name")); }
    // "key: value" lines, as "niutil -read" prints the record.
    QString niutilText() const;

    friend bool operator==(const AccountRecord&, const AccountRecord&) = default;

private:
    qsizetype indexOf(const QString& key) const;

    QList<Entry> m_entries;
};
