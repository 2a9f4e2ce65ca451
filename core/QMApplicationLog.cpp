#include "QMApplicationLog.h"

#include "Console.h"
#include "EasyPrefs.h"
#include "LogText.h"
#include "RuntimeError.h"

QMApplicationLog::QMApplicationLog()
    : m_outsideLogLevel(3),
      m_localLogLimit(50),
      m_writeToSystemLog(EasyPrefs::GetPrefBoolean(QStringLiteral("debugToConsole"), true))
{
}

void QMApplicationLog::add(std::shared_ptr<QMLogEntryInterface> entry)
{
    if (!entry)
        throw RuntimeError(RuntimeError::Kind::NilObject, QStringLiteral("no log entry"));
    m_entries.append(entry);
    addEntryToLists(entry);
    if (m_localLogLimit >= 0) {
        while (m_entries.size() > m_localLogLimit)
            m_entries.removeFirst();
    }
    writeToOSXConsole(*entry);
}

void QMApplicationLog::addEntryToLists(const std::shared_ptr<QMLogEntryInterface>&) {}

void QMApplicationLog::writeToOSXConsole(const QMLogEntryInterface& entry) const
{
    if (!m_writeToSystemLog)
        return;
    Console::writeLine(entry.getTime().timeText() + QStringLiteral(" Nightfold ") + LogText::oneLine(entry.getMessage()));
}
