#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

// The privileged runner: runs one tool with an exact argument list (no shell)
// as the superuser under an authorization reference. A reference of 0 is none.
class AuthorizationShell {
public:
    virtual ~AuthorizationShell() = default;
    virtual void Assign(qint64 reference) = 0;
    // False when no authorization could be had, the prompt was cancelled or
    // the execution was refused.
    virtual bool Run(const QString& command, bool wait, const QStringList& arguments) = 0;
    virtual qint64 Retrieve() = 0;
    virtual QString Result() const = 0;
};

// What the platform supplies behind the privileged runner.
class AuthorizationServices {
public:
    virtual ~AuthorizationServices() = default;
    virtual std::unique_ptr<AuthorizationShell> newShell() = 0;
    // Gives up the rights held under a reference (the destroy-rights free).
    virtual void freeAuthorization(qint64 reference) = 0;
};

namespace Authorization {
// The installed services; the default refuses every run.
AuthorizationServices& services();
// nullptr restores the default. The caller keeps ownership.
void setServices(AuthorizationServices* services);
std::unique_ptr<AuthorizationShell> newShell();
}  // namespace Authorization
