#pragma once

#include "CommandRunner.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

// Records every command line and answers from a table of responders, so unit
// tests never reach a real shell.
class FakeShell {
public:
    using Responder = std::function<QString(const QString& commandLine)>;

    // The first responder whose prefix starts the command line answers.
    void answer(const QString& commandPrefix, const QString& output);
    void answer(const QString& commandPrefix, Responder responder);
    // Answers before every responder given so far.
    void answerFirst(const QString& commandPrefix, Responder responder);
    QList<QString> commands;

    // Installs this shell as the runner factory for the current scope.
    void install();
    static void uninstall();

    QString run(const QString& commandLine);

private:
    QList<QPair<QString, Responder>> m_responders;
};

class FakeCommandRunner : public CommandRunner {
public:
    explicit FakeCommandRunner(FakeShell& shell) : m_shell(shell) {}
    void Execute(const QString& commandLine) override { m_result = m_shell.run(commandLine); }
    QString Result() const override { return m_result; }

private:
    FakeShell& m_shell;
    QString m_result;
};
