// nightfold-authorization-helper: started by the settings application through
// the administrator prompt, it holds the granted rights for as long as the
// application keeps it. It reads requests (a tool and its arguments) on its
// standard input and runs each one that is a privileged run of the system,
// directly, never through a shell, answering with the tool's standard output.
// It ends when its input ends. It reads no options and no environment.
#include "AuthorizationHelperPolicy.h"
#include "AuthorizationHelperProtocol.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using AuthorizationHelperProtocol::Status;

bool readExactly(char* buffer, std::size_t count)
{
    while (count > 0) {
        const ssize_t got = read(STDIN_FILENO, buffer, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool writeAll(const std::string& bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(STDOUT_FILENO, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// The child's side: no protocol pipes, input from /dev/null, output to the pipe.
[[noreturn]] void execTool(const std::vector<std::string>& words, int outputFd, int errorFd)
{
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull < 0 || dup2(devNull, STDIN_FILENO) < 0 || dup2(outputFd, STDOUT_FILENO) < 0)
        _exit(127);
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    const int error = errno;
    (void)!write(errorFd, &error, sizeof error);
    _exit(127);
}

// Runs the tool to its end; Failed when it could not be started.
AuthorizationHelperProtocol::Response run(const std::vector<std::string>& words)
{
    int output[2];
    int execError[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return {Status::Failed, "no pipe"};
    if (pipe2(execError, O_CLOEXEC) != 0) {
        close(output[0]);
        close(output[1]);
        return {Status::Failed, "no pipe"};
    }
    const pid_t child = fork();
    if (child == 0)
        execTool(words, output[1], execError[1]);
    close(output[1]);
    close(execError[1]);
    if (child < 0) {
        close(output[0]);
        close(execError[0]);
        return {Status::Failed, "cannot fork"};
    }

    std::string collected;
    char buffer[8192];
    for (;;) {
        const ssize_t got = read(output[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        // Read to the end either way, so the tool is never blocked on a full pipe.
        const std::size_t room = AuthorizationHelperProtocol::maxPayloadBytes - collected.size();
        collected.append(buffer, std::min(room, static_cast<std::size_t>(got)));
    }
    close(output[0]);
    int error = 0;
    const bool execFailed = read(execError[0], &error, sizeof error) == static_cast<ssize_t>(sizeof error);
    close(execError[0]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (execFailed)
        return {Status::Failed, std::strerror(error)};
    return {Status::Executed, collected};
}
}  // namespace

int main()
{
    std::signal(SIGPIPE, SIG_IGN);
    if (!writeAll(AuthorizationHelperProtocol::encodeResponse(Status::Ready, {})))
        return 1;
    for (;;) {
        const auto words = AuthorizationHelperProtocol::readRequest(readExactly);
        if (!words)
            return 0;
        const AuthorizationHelperProtocol::Response response =
            AuthorizationHelperPolicy::allows(*words) ? run(*words) : AuthorizationHelperProtocol::Response{Status::Refused, {}};
        if (!writeAll(AuthorizationHelperProtocol::encodeResponse(response.status, response.payload)))
            return 1;
    }
}
