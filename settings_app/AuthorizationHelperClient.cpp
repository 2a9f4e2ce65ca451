#include "AuthorizationHelperClient.h"

namespace {
using AuthorizationHelperProtocol::Status;

// The helper's end states give it a few seconds to notice its input closed.
constexpr int kEndWaitMs = 5000;

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }
}  // namespace

AuthorizationHelperClient::~AuthorizationHelperClient() { stop(); }

bool AuthorizationHelperClient::start(const QStringList& launcher)
{
    if (launcher.isEmpty())
        return false;
    // Prompt and tool messages go where the application's own go.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(launcher.first(), launcher.mid(1));
    if (!m_process.waitForStarted(-1))
        return false;
    // The administrator may take any time to answer the prompt.
    const auto ready = readResponse();
    if (ready && ready->status == Status::Ready)
        return true;
    stop();
    return false;
}

std::optional<AuthorizationHelperProtocol::Response> AuthorizationHelperClient::run(const QString& tool, const QStringList& arguments)
{
    if (!isRunning())
        return std::nullopt;
    std::vector<std::string> words{utf8(tool)};
    for (const QString& argument : arguments)
        words.push_back(utf8(argument));
    const std::string request = AuthorizationHelperProtocol::encodeRequest(words);
    if (m_process.write(request.data(), static_cast<qint64>(request.size())) != static_cast<qint64>(request.size()))
        return std::nullopt;
    while (m_process.bytesToWrite() > 0) {
        if (!m_process.waitForBytesWritten(-1))
            return std::nullopt;
    }
    return readResponse();
}

std::optional<AuthorizationHelperProtocol::Response> AuthorizationHelperClient::readResponse()
{
    const auto readExactly = [this](char* buffer, std::size_t count) {
        while (m_process.bytesAvailable() < static_cast<qint64>(count)) {
            if (!m_process.waitForReadyRead(-1))
                return false;
        }
        return m_process.read(buffer, static_cast<qint64>(count)) == static_cast<qint64>(count);
    };
    return AuthorizationHelperProtocol::readResponse(readExactly);
}

void AuthorizationHelperClient::stop()
{
    if (!isRunning())
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(kEndWaitMs)) {
        // A helper running as the superuser cannot be killed from here; one
        // that does not end is left to notice its closed input.
        m_process.kill();
        m_process.waitForFinished(kEndWaitMs);
    }
}
