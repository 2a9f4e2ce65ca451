#include "CommandRunner.h"

#include <QProcess>

#include <csignal>
#include <unistd.h>

namespace {
CommandRunner::Factory& factory()
{
    static CommandRunner::Factory f;
    return f;
}
}  // namespace

std::unique_ptr<CommandRunner> CommandRunner::create()
{
    if (factory())
        return factory()();
    return std::make_unique<ShellCommandRunner>();
}

void CommandRunner::setFactory(Factory f) { factory() = std::move(f); }

void ShellCommandRunner::Execute(const QString& commandLine)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // Its own process group, so a hung pipeline is ended as a whole.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), commandLine});
    if (!process.waitForStarted(m_timeLimitMs)) {
        m_result = process.errorString();
        return;
    }
    process.closeWriteChannel();
    QByteArray output;
    if (!process.waitForFinished(m_timeLimitMs)) {
        output = process.readAll();
        ::kill(-static_cast<pid_t>(process.processId()), SIGKILL);
        process.kill();
        process.waitForFinished(1000);
    }
    output += process.readAll();
    m_result = QString::fromUtf8(output);
}
