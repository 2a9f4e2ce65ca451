#pragma once

#include "MachineState.h"
#include "PrivilegedTools.h"
#include "ShellCommands.h"
#include "SimAuthorizationServices.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// One command the machine received, shell line or privileged run.
struct CommandLogEntry {
    LocalDateTime at;
    bool privileged = false;
    QString line;  // the shell line, or the tool and its arguments joined by blanks
    QString tool;  // privileged runs: the tool and its exact arguments
    QStringList arguments;
    bool known = true;
    PowerState power = PowerState::Awake;  // the machine's state when the command came
    QString output;
    QString error;  // privileged runs: what the tool wrote to standard error

    // The line, marked "[privileged] " for privileged runs.
    QString text() const;
};

// A model of the old desktop OS that answers the exact command lines and
// privileged runs the system issues, so the real code runs against it. Files
// live below SystemPaths::root(), which whoever runs the machine sets; with
// no root folder set no file is touched. Nothing reaches a real shell.
//
// A new machine runs 10.3, is awake with the login window in front, has the
// system accounts (root, daemon, nobody, unknown, www), an admin group holding
// root, and an agent process in its process table.
class SimulatedMachine {
public:
    static const QString defaultPicture;

    SimulatedMachine();
    ~SimulatedMachine();
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    // Makes CommandRunner::create() and Authorization::services() this
    // machine's. uninstall() (and the destructor) restore the real shell and
    // the refusing services.
    void install();
    void uninstall();
    bool isInstalled() const { return m_installed; }

    // What the runners call.
    QString runShell(const QString& commandLine);
    // False when the tool was not executed (unknown to the machine, or missing).
    bool runPrivileged(const QString& tool, const QStringList& arguments, QString& output);

    // The installed agent's run: one pass through the hook the owner sets.
    // False (nothing run) when the agent is not installed below the root.
    void setAgentPass(std::function<void()> pass) { m_agentPass = std::move(pass); }
    bool runAgentPass();
    // A started agent is in the process table (a killall may have taken the last one out).
    void startAgentProcess();

    // Builders. Unknown names raise std::invalid_argument.
    AccountRecord& addAccount(const QString& name, const QString& realName, const QString& shell = QStringLiteral("/bin/bash"),
                              const QString& picture = defaultPicture);
    void addAdmin(const QString& name);
    void logIn(const QString& name, bool inFront = true);
    void bringToFront(const QString& name);
    void showLoginWindow();
    void showAuthDialog();
    void showNoDesktop();
    void setFrontApplication(const QString& name, const QString& application);
    void setFinderRunning(const QString& name, bool running);
    void setOsVersion(const QString& version);  // "10.1", "10.2" or "10.3"; CGSession only on 10.3
    void setCGSessionPresent(bool present) { m_state.cgsessionPresent = present; }
    void wake() { m_state.power = PowerState::Awake; }
    // The next count suspends leave the user in front (a switch that did not take).
    void ignoreNextSuspends(int count) { m_state.suspendsToIgnore = count; }
    int addProcess(const QString& user, const QString& command);
    // The folders every machine has (/etc, /tmp, /var/log, /var/cron/tabs,
    // /Library/Application Support, /Library/StartupItems) below the root.
    bool prepareFolders();

    // The administrator prompt of the privileged runner.
    void setPromptAnswer(PromptAnswer answer) { m_authorization.setPromptAnswer(answer); }
    int promptCount() const { return m_authorization.promptCount(); }
    SimAuthorizationServices& authorization() { return m_authorization; }

    // Reading the machine.
    MachineState& state() { return m_state; }
    const MachineState& state() const { return m_state; }
    const AccountRecord* account(const QString& name) const;
    bool isLocked(const QString& name) const;
    bool isLoggedIn(const QString& name) const { return m_state.findLogin(name) != nullptr; }
    FrontKind front() const { return m_state.front; }
    QString frontUser() const;
    PowerState power() const { return m_state.power; }
    QString crontab(const QString& user) const { return m_state.crontab(user); }
    bool setCrontab(const QString& user, const QString& text) { return m_state.setCrontab(user, text); }

    const QList<MachineEvent>& events() const { return m_state.events; }
    QStringList eventTexts() const;
    void noteEvent(const QString& text) { m_state.note(text); }
    const QList<CommandLogEntry>& commandLog() const { return m_log; }
    QStringList commandLines() const;     // shell lines, in order
    QStringList privilegedRuns() const;   // "tool arg1 arg2 ...", in order
    QStringList unknownCommands() const;  // texts of both kinds the machine did not know
    void clearLogs();                     // forgets commands and events

    // DIR/machine.json. Both give an empty text on success, else the error.
    QString save(const QString& folder) const;
    QString load(const QString& folder);

private:
    SimAccount& requireAccount(const QString& name);
    SimLogin& requireLogin(const QString& name);
    void addSystemAccount(const QString& name, const QString& realName, int uid, const QString& shell, const QString& home);
    qsizetype beginEntry(CommandLogEntry entry);

    MachineState m_state;
    ShellCommands m_shell{m_state};
    PrivilegedTools m_tools{m_state, [this] { return runAgentPass(); }};
    SimAuthorizationServices m_authorization{*this};
    std::function<void()> m_agentPass;
    QList<CommandLogEntry> m_log;
    bool m_installed = false;
};
