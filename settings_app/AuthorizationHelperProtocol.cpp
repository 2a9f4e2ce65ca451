#include "AuthorizationHelperProtocol.h"

namespace {
void appendLength(std::string& out, std::size_t length)
{
    const auto value = static_cast<std::uint32_t>(length);
    out.push_back(static_cast<char>((value >> 24) & 0xFF));
    out.push_back(static_cast<char>((value >> 16) & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

std::optional<std::size_t> readLength(const AuthorizationHelperProtocol::ReadExactly& read)
{
    unsigned char bytes[4];
    if (!read(reinterpret_cast<char*>(bytes), sizeof bytes))
        return std::nullopt;
    return (std::size_t{bytes[0]} << 24) | (std::size_t{bytes[1]} << 16) | (std::size_t{bytes[2]} << 8) | std::size_t{bytes[3]};
}

std::optional<std::string> readBytes(const AuthorizationHelperProtocol::ReadExactly& read, std::size_t length)
{
    std::string bytes(length, '\0');
    if (length > 0 && !read(bytes.data(), length))
        return std::nullopt;
    return bytes;
}

bool isStatus(char c)
{
    using AuthorizationHelperProtocol::Status;
    return c == static_cast<char>(Status::Ready) || c == static_cast<char>(Status::Executed)
        || c == static_cast<char>(Status::Refused) || c == static_cast<char>(Status::Failed);
}
}  // namespace

namespace AuthorizationHelperProtocol {
std::string encodeRequest(const std::vector<std::string>& words)
{
    std::string out;
    appendLength(out, words.size());
    for (const std::string& word : words) {
        appendLength(out, word.size());
        out += word;
    }
    return out;
}

std::string encodeResponse(Status status, const std::string& payload)
{
    std::string out(1, static_cast<char>(status));
    appendLength(out, payload.size());
    out += payload;
    return out;
}

std::optional<std::vector<std::string>> readRequest(const ReadExactly& read)
{
    const auto count = readLength(read);
    if (!count || *count == 0 || *count > maxWords)
        return std::nullopt;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < *count; ++i) {
        const auto length = readLength(read);
        if (!length || *length > maxWordBytes)
            return std::nullopt;
        auto word = readBytes(read, *length);
        // A NUL cannot reach a tool's argument list intact.
        if (!word || word->find('\0') != std::string::npos)
            return std::nullopt;
        words.push_back(std::move(*word));
    }
    return words;
}

std::optional<Response> readResponse(const ReadExactly& read)
{
    char status = 0;
    if (!read(&status, 1) || !isStatus(status))
        return std::nullopt;
    const auto length = readLength(read);
    if (!length || *length > maxPayloadBytes)
        return std::nullopt;
    auto payload = readBytes(read, *length);
    if (!payload)
        return std::nullopt;
    return Response{static_cast<Status>(status), std::move(*payload)};
}
}  // namespace AuthorizationHelperProtocol
