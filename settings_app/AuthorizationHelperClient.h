#pragma once

#include "AuthorizationHelperProtocol.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

// One running root helper, seen from the application: started through the
// administrator prompt, asked to run tools one at a time, ended by closing
// its input. Every call blocks until the helper has answered.
class AuthorizationHelperClient {
public:
    AuthorizationHelperClient() = default;
    ~AuthorizationHelperClient();
    AuthorizationHelperClient(const AuthorizationHelperClient&) = delete;
    AuthorizationHelperClient& operator=(const AuthorizationHelperClient&) = delete;

    // Runs launcher (the prompt and the helper, e.g. pkexec HELPER) and waits
    // for the helper to report ready. False when it never does: the prompt
    // was cancelled (pkexec ends with 126 or 127) or nothing could start.
    bool start(const QStringList& launcher);
    // Nothing when the helper is gone or answers nonsense.
    std::optional<AuthorizationHelperProtocol::Response> run(const QString& tool, const QStringList& arguments);
    // Closes the helper's input; it ends and the rights go with it.
    void stop();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

private:
    std::optional<AuthorizationHelperProtocol::Response> readResponse();

    QProcess m_process;
};
