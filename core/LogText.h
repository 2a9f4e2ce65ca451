#pragma once

#include <QString>

namespace LogText {
// A message as one printable line: control characters are shown escaped
// (\n, \r, \t, others as \xNN; the Unicode line and paragraph separators as
// \u2028, \u2029) so a logged text can never start a line of its own.
QString oneLine(const QString& message);
}  // namespace LogText
