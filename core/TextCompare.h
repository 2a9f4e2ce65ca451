#pragma once

#include <QString>

// Every comparison of texts in the system ignores letter case, folded the
// Unicode way, the same in both programs.
namespace TextCompare {
bool same(const QString& a, const QString& b);
bool contains(const QString& haystack, const QString& needle);
qsizetype indexOf(const QString& haystack, const QString& needle, qsizetype from = 0);
}  // namespace TextCompare
