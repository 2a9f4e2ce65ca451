#pragma once

#include <QString>
#include <functional>
#include <memory>

// The shell facility every routine uses: one command line through /bin/sh,
// waited for, its output (standard error included) kept as text. A routine
// creates its own runner and closes it; exit statuses are never looked at.
class CommandRunner {
public:
    using Factory = std::function<std::unique_ptr<CommandRunner>()>;

    virtual ~CommandRunner() = default;
    virtual void Execute(const QString& commandLine) = 0;
    virtual QString Result() const = 0;
    virtual void Close() {}

    // A new runner from the installed factory (the real shell by default).
    static std::unique_ptr<CommandRunner> create();
    // An empty factory restores the real shell.
    static void setFactory(Factory factory);
};

// Runs through /bin/sh. A command that does not end within the time limit is
// killed, and what it printed so far is its result, so a pass never hangs.
class ShellCommandRunner : public CommandRunner {
public:
    static constexpr int kTimeLimitMs = 30000;

    explicit ShellCommandRunner(int timeLimitMs = kTimeLimitMs) : m_timeLimitMs(timeLimitMs) {}
    void Execute(const QString& commandLine) override;
    QString Result() const override { return m_result; }

private:
    int m_timeLimitMs;
    QString m_result;
};
