#include "SimulatedPass.h"

#include "AgentProcess.h"
#include "Clock.h"
#include "Console.h"
#include "SimulatedMachine.h"
#include "SystemPaths.h"

#include <QFile>

namespace {
qint64 logSize()
{
    return QFile(SystemPaths::resolve(SystemPaths::agentLogFile)).size();
}

QStringList logLinesFrom(qint64 offset)
{
    QFile log(SystemPaths::resolve(SystemPaths::agentLogFile));
    if (!log.open(QIODevice::ReadOnly) || !log.seek(offset))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
}  // namespace

bool SimulatedPass::machineAwake() const { return m_machine.power() == PowerState::Awake; }

SimulatedPass::Outcome SimulatedPass::run(const LocalDateTime& at)
{
    SystemPaths::setRoot(m_root);
    SystemPaths::setProgramFolder(SystemPaths::installedFolder);
    TestClock clock(at);
    ScopedClock scopedClock(clock);
    const bool wasInstalled = m_machine.isInstalled();
    m_machine.install();
    // cron starts a new agent process: it sees itself in the process list.
    m_machine.startAgentProcess();

    const qint64 logOffset = logSize();
    const qsizetype eventsBefore = m_machine.events().size();
    const qsizetype commandsBefore = m_machine.commandLog().size();
    Outcome outcome;
    qsizetype eventsSeen = eventsBefore;
    const auto takeNewEvents = [&] {
        for (; eventsSeen < m_machine.events().size(); ++eventsSeen) {
            const MachineEvent& event = m_machine.events()[eventsSeen];
            outcome.timeline.append({event.at, false, event.text});
        }
    };
    // The agent's console copy of each log line tells when it was written,
    // between the machine's events; the console itself stays quiet.
    const QString agentMark = QStringLiteral(" NightfoldAgent: ");
    Console::setSink([&](const QByteArray& bytes) {
        const QString line = QString::fromUtf8(bytes);
        const qsizetype mark = line.indexOf(agentMark);
        if (mark < 0)
            return;
        takeNewEvents();
        outcome.timeline.append({Clock::now(), true, line.mid(mark + agentMark.size())});
    });

    runAgentProcess({});
    takeNewEvents();

    outcome.logLines = logLinesFrom(logOffset);
    outcome.events = m_machine.events().mid(eventsBefore);
    for (qsizetype i = commandsBefore; i < m_machine.commandLog().size(); ++i)
        outcome.commands << m_machine.commandLog()[i].text();

    if (!wasInstalled)
        m_machine.uninstall();
    Console::setSink({});
    return outcome;
}
