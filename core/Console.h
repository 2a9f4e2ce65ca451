#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The console copy of log lines: standard error, one line, at most 255 bytes
// (the classic debug-output call took a length-prefixed string).
namespace Console {
constexpr int kLineLimit = 255;

void writeLine(const QString& line);
// Cut to the limit without splitting a UTF-8 character.
QByteArray cutLine(const QString& line);
// Tests catch the lines; an empty sink restores standard error.
void setSink(std::function<void(const QByteArray&)> sink);
}  // namespace Console
