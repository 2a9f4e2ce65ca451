#pragma once

#include "AuthorizationShell.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

class AuthorizationHelperClient;

// The real privileged runner's services. An authorization is a root helper
// started once through the platform's administrator prompt and kept until
// it is freed (or the program ends); each run goes to it as a request. A
// program that already runs as the superuser runs the tools itself. Either
// way only the system's own privileged runs are carried out.
class SystemAuthorizationServices : public AuthorizationServices {
public:
    // launcher: what starts the helper with administrator rights (the prompt
    // program and the helper's path); runDirectly: run the tools in this
    // process instead (for a program that is the superuser already).
    SystemAuthorizationServices(QStringList launcher, bool runDirectly);
    ~SystemAuthorizationServices() override;

    // pkexec and the helper beside the program; directly when the program
    // runs as the superuser.
    static std::unique_ptr<SystemAuthorizationServices> forThisProgram();
    static QString helperName() { return QStringLiteral("nightfold-authorization-helper"); }

    std::unique_ptr<AuthorizationShell> newShell() override;
    void freeAuthorization(qint64 reference) override;

    // For the runner: a new authorization (the prompt shows when a helper is
    // needed), 0 when it was refused or cancelled.
    qint64 create();
    bool isHeld(qint64 reference) const { return m_held.count(reference) != 0; }
    // False when the run was refused or the tool could not be started.
    bool run(qint64 reference, const QString& tool, const QStringList& arguments, QString& output);
    int heldCount() const { return static_cast<int>(m_held.size()); }

private:
    bool runHere(const QString& tool, const QStringList& arguments, QString& output);

    QStringList m_launcher;
    bool m_runDirectly;
    qint64 m_next = 1;
    // Running directly an authorization has no helper (nullptr).
    std::map<qint64, std::unique_ptr<AuthorizationHelperClient>> m_held;
};
