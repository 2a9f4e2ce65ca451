#include "FakeCommandRunner.h"

void FakeShell::answer(const QString& commandPrefix, const QString& output)
{
    m_responders.append({commandPrefix, [output](const QString&) { return output; }});
}

void FakeShell::answer(const QString& commandPrefix, Responder responder)
{
    m_responders.append({commandPrefix, std::move(responder)});
}

void FakeShell::answerFirst(const QString& commandPrefix, Responder responder)
{
    m_responders.prepend({commandPrefix, std::move(responder)});
}

QString FakeShell::run(const QString& commandLine)
{
    commands.append(commandLine);
    for (const auto& [prefix, responder] : m_responders) {
        if (commandLine.startsWith(prefix))
            return responder(commandLine);
    }
    return QStringLiteral("sh: 1: %1: not found\n").arg(commandLine.section(QLatin1Char(' '), 0, 0));
}

void FakeShell::install()
{
    CommandRunner::setFactory([this]() { return std::make_unique<FakeCommandRunner>(*this); });
}

void FakeShell::uninstall() { CommandRunner::setFactory({}); }
