#include "SimAuthorizationServices.h"

#include "SimAuthorizationShell.h"

std::unique_ptr<AuthorizationShell> SimAuthorizationServices::newShell()
{
    return std::make_unique<SimAuthorizationShell>(*this, m_machine);
}

void SimAuthorizationServices::freeAuthorization(qint64 reference) { m_valid.remove(reference); }

qint64 SimAuthorizationServices::prompt()
{
    ++m_prompts;
    if (m_answer == PromptAnswer::Cancel)
        return 0;
    const qint64 reference = m_next++;
    m_valid.insert(reference);
    return reference;
}
