#pragma once

#include <QString>
#include <any>
#include <vector>

// A named event with parameters of any type, in the order added.
// "AddLogEntry" carries a std::shared_ptr<QMLogEntryInterface>;
// "LoadAllLogEntries" carries the log as a const QMApplicationLog*.
class QMEvent {
public:
    explicit QMEvent(const QString& name);
    void addParameter(std::any value);

    const QString& name() const { return m_name; }
    const std::vector<std::any>& parameters() const { return m_parameters; }

private:
    QString m_name;
    std::vector<std::any> m_parameters;
};
