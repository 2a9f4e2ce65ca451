#pragma once

#include <QString>

namespace Fillintheblanks {
// values holds fields separated by '|'. Step i (1, 2, ...) replaces every \i in
// the text left by the step before with field i, so a field may carry a marker
// for a later step and \10 is taken by step 1. Unfilled markers stay, and so
// do all markers from the step that would make the text longer than
// kMaximumLength (fields that name each other can grow it exponentially).
constexpr qsizetype kMaximumLength = 1 << 20;
QString fillintheblanks(const QString& templateText, const QString& values);
}  // namespace Fillintheblanks
