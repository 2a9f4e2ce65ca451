#include "SimAuthorizationShell.h"

#include "SimAuthorizationServices.h"
#include "SimulatedMachine.h"

SimAuthorizationShell::~SimAuthorizationShell() { releaseOwned(); }

void SimAuthorizationShell::releaseOwned()
{
    if (m_owned && m_reference != 0)
        m_services.freeAuthorization(m_reference);
    m_owned = false;
}

void SimAuthorizationShell::Assign(qint64 reference)
{
    releaseOwned();
    m_reference = reference;
}

bool SimAuthorizationShell::Run(const QString& command, bool, const QStringList& arguments)
{
    m_result.clear();
    if (m_reference == 0) {
        m_reference = m_services.prompt();
        m_owned = m_reference != 0;
        if (m_reference == 0)
            return false;
    } else if (!m_services.isValid(m_reference)) {
        return false;
    }
    return m_machine.runPrivileged(command, arguments, m_result);
}

qint64 SimAuthorizationShell::Retrieve()
{
    m_owned = false;
    return m_reference;
}
