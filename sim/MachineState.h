#pragma once

#include "AccountRecord.h"
#include "LocalDateTime.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

enum class PowerState { Awake, Asleep, ShutDown, Restarting };
// What is in front: a user's desktop, the login window, the system's
// authentication dialog, or nothing that answers (no window server).
enum class FrontKind { LoginWindow, User, AuthDialog, NoDesktop };

struct SimAccount {
    int directoryId = 0;  // niutil's own id, shown by -list
    AccountRecord record;
};

struct SimProcess {
    QString user;
    int pid = 0;
    QString command;
    int priority = 0;
};

// One login session: its loginwindow process, its Finder (0 = none) and the
// applications the user runs, the front one among them.
struct SimLogin {
    QString user;
    int loginwindowPid = 0;
    int finderPid = 0;
    LocalDateTime since;
    QStringList applications;
    QString frontApplication;
};

struct OpenedApplication {
    LocalDateTime at;
    QString path;
    QString user;  // who was in front; empty when nobody
};

struct MachineEvent {
    LocalDateTime at;
    QString text;
};

// Everything the simulated machine is, and the changes its tools make. Each
// change a person would notice is noted as an event at Clock::now().
class MachineState {
public:
    static const QString loginwindowCommand;
    static const QString finderCommand;
    static const QString cgsessionPath;

    QList<SimAccount> accounts;
    AccountRecord adminGroup;
    QString osVersion = QStringLiteral("10.3");
    bool cgsessionPresent = true;
    PowerState power = PowerState::Awake;
    FrontKind front = FrontKind::LoginWindow;
    QString frontUser;
    QList<SimLogin> logins;
    QList<SimProcess> processes;  // all but the logins' own processes
    int nextPid = 400;
    QMap<QString, QString> crontabs;  // every user but root, whose crontab is its file
    QList<OpenedApplication> openedApplications;
    QMap<QString, QString> fileModes;   // system path -> mode, as chmod set it
    QMap<QString, QString> fileOwners;  // system path -> owner, as chown set it
    QList<MachineEvent> events;
    int suspendsToIgnore = 0;

    SimAccount* findAccount(const QString& name);
    const SimAccount* findAccount(const QString& name) const;
    SimLogin* findLogin(const QString& name);
    const SimLogin* findLogin(const QString& name) const;
    SimLogin* frontLogin();
    const SimLogin* frontLogin() const;

    // 10.1 and 10.2 lock through the password, later systems through the
    // authentication authority.
    bool isOlderSystem() const;
    bool isLocked(const AccountRecord& record) const;
    QString productVersion() const;
    QString buildVersion() const;

    // Every process, logins included, in pid order.
    QList<SimProcess> processTable() const;
    int takePid() { return nextPid++; }

    QString crontab(const QString& user) const;
    bool hasCrontab(const QString& user) const;
    bool setCrontab(const QString& user, const QString& text);

    // Changes made by the machine's tools.
    void setUserProperty(const QString& name, const QString& key, const QString& value);
    void destroyUserProperty(const QString& name, const QString& key);
    void endLogin(const QString& name);
    void switchOutFront();
    void setPower(PowerState state);
    bool closeApplication(const QString& user, const QString& application);
    void openApplication(const QString& path, const QString& event);
    int killAgents();
    void note(const QString& text);

private:
    void noteLockChange(const QString& name, bool wasLocked);
};

QString powerStateName(PowerState state);
QString frontKindName(FrontKind kind);
