#pragma once

#include "AuthorizationShell.h"

class SystemAuthorizationServices;

// The real privileged runner. Without an assigned authorization it creates
// one on its first run (the administrator prompt) and owns it: it is freed
// with the runner unless handed out (Retrieve). An assigned one stays the
// caller's. Runs always wait for the tool to end.
class SystemAuthorizationShell : public AuthorizationShell {
public:
    explicit SystemAuthorizationShell(SystemAuthorizationServices& services) : m_services(services) {}
    ~SystemAuthorizationShell() override;

    void Assign(qint64 reference) override;
    bool Run(const QString& command, bool wait, const QStringList& arguments) override;
    qint64 Retrieve() override;
    QString Result() const override { return m_result; }

private:
    void releaseOwned();

    SystemAuthorizationServices& m_services;
    qint64 m_reference = 0;
    bool m_owned = false;
    QString m_result;
};
