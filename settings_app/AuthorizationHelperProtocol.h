#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the settings application and its root helper say over the helper's
// standard input and output. Plain C++ so the helper needs no Qt.
//
// Request: a 32-bit big-endian word count, then each word (the tool first,
// then its arguments) as a 32-bit big-endian byte length and the bytes.
// Response: one status byte, a 32-bit big-endian length and that many bytes
// (the tool's standard output, or why it did not run). The helper answers
// Ready once when it starts, then one response per request.
namespace AuthorizationHelperProtocol {
enum class Status : char {
    Ready = 'R',     // the helper runs and waits for requests
    Executed = 'X',  // the tool ran to its end; the payload is its output
    Refused = 'N',   // not one of the system's privileged runs
    Failed = 'F',    // the tool could not be started
};

struct Response {
    Status status = Status::Failed;
    std::string payload;
};

inline constexpr std::size_t maxWords = 64;
inline constexpr std::size_t maxWordBytes = 4096;
inline constexpr std::size_t maxPayloadBytes = 16u * 1024u * 1024u;

// Fills the buffer completely or answers false (end of input, broken pipe).
using ReadExactly = std::function<bool(char* buffer, std::size_t count)>;

std::string encodeRequest(const std::vector<std::string>& words);
std::string encodeResponse(Status status, const std::string& payload);
// Nothing at the end of input or for a malformed or oversized message.
std::optional<std::vector<std::string>> readRequest(const ReadExactly& read);
std::optional<Response> readResponse(const ReadExactly& read);
}  // namespace AuthorizationHelperProtocol
