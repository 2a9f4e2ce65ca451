#pragma once

#include "MachineState.h"

#include <QString>
#include <QStringList>
#include <optional>

// Answers the command lines the system hands /bin/sh, acting on the machine's
// state. Simple commands are taken apart into words as sh would, so quoted
// values arrive as the tool would see them; the few pipelines are known by
// their exact text. A line the machine does not know gives no answer.
class ShellCommands {
public:
    explicit ShellCommands(MachineState& state) : m_state(state) {}

    std::optional<QString> run(const QString& commandLine);

private:
    std::optional<QString> runPipeline(const QString& line);
    std::optional<QString> runSimple(const QStringList& words);
    std::optional<QString> niutil(const QStringList& words);
    std::optional<QString> osascript(const QString& script) const;
    std::optional<QString> crontab(const QStringList& words);
    QString killLoginWindows(const QString& shortName);
    QString processList() const;
    QString renice(const QString& priority, const QString& pid);
    QString chmod(const QString& mode, const QString& path);
    QString whoAmI() const;
    // The user the shell runs as: the one in front, else root.
    QString shellUser() const;
    // Names of the logins as /usr/bin/users prints them: sorted, cut to 8.
    QString usersLine() const;

    MachineState& m_state;
};
