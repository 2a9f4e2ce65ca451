#include "Console.h"

#include <cstdio>

namespace {
std::function<void(const QByteArray&)>& sink()
{
    static std::function<void(const QByteArray&)> s;
    return s;
}
}  // namespace

namespace Console {
QByteArray cutLine(const QString& line)
{
    QByteArray bytes = line.toUtf8();
    if (bytes.size() <= kLineLimit)
        return bytes;
    int cut = kLineLimit;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    return bytes.left(cut);
}

void writeLine(const QString& line)
{
    const QByteArray bytes = cutLine(line);
    if (sink()) {
        sink()(bytes);
        return;
    }
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void setSink(std::function<void(const QByteArray&)> s) { sink() = std::move(s); }
}  // namespace Console
