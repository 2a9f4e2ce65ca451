#pragma once

#include <QString>

namespace StringStuff {
// The text after the first occurrence of separator; empty when there is none.
QString GetAfter(const QString& source, const QString& separator);
// The text before the first occurrence of separator; empty when there is none.
QString GetBefore(const QString& source, const QString& separator);
// value between double quotes, with the four characters that stay special
// inside double quotes (" $ ` \) escaped, so the tool receives value exactly.
QString Quote(const QString& value);
}  // namespace StringStuff
