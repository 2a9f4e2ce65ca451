#include "SystemAuthorizationShell.h"

#include "SystemAuthorizationServices.h"

SystemAuthorizationShell::~SystemAuthorizationShell() { releaseOwned(); }

void SystemAuthorizationShell::releaseOwned()
{
    if (m_owned && m_reference != 0)
        m_services.freeAuthorization(m_reference);
    m_owned = false;
}

void SystemAuthorizationShell::Assign(qint64 reference)
{
    releaseOwned();
    m_reference = reference;
}

bool SystemAuthorizationShell::Run(const QString& command, bool, const QStringList& arguments)
{
    m_result.clear();
    if (m_reference == 0) {
        m_reference = m_services.create();
        m_owned = m_reference != 0;
        if (m_reference == 0)
            return false;
    }
    return m_services.run(m_reference, command, arguments, m_result);
}

qint64 SystemAuthorizationShell::Retrieve()
{
    m_owned = false;
    return m_reference;
}
