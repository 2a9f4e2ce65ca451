#pragma once

#include "AuthorizationShell.h"

#include <QSet>
#include <QtGlobal>

class SimulatedMachine;

enum class PromptAnswer { Accept, Cancel };

// The machine's security framework: the administrator prompt (answered by
// policy and counted) and the authorization references it hands out.
class SimAuthorizationServices : public AuthorizationServices {
public:
    explicit SimAuthorizationServices(SimulatedMachine& machine) : m_machine(machine) {}

    std::unique_ptr<AuthorizationShell> newShell() override;
    void freeAuthorization(qint64 reference) override;

    // Shows the prompt: a new non-zero reference when accepted, 0 when cancelled.
    qint64 prompt();
    bool isValid(qint64 reference) const { return m_valid.contains(reference); }

    void setPromptAnswer(PromptAnswer answer) { m_answer = answer; }
    PromptAnswer promptAnswer() const { return m_answer; }
    int promptCount() const { return m_prompts; }
    int heldReferences() const { return static_cast<int>(m_valid.size()); }

private:
    SimulatedMachine& m_machine;
    QSet<qint64> m_valid;
    qint64 m_next = 1001;
    int m_prompts = 0;
    PromptAnswer m_answer = PromptAnswer::Accept;
};
