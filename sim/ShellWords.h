#pragma once

#include <QStringList>
#include <optional>

// Splits a command line into the words /bin/sh would hand the tool, for lines
// that are one simple command: blanks separate words; single quotes keep text
// as it is; double quotes keep text but for \" \$ \` \\ ; a backslash outside
// quotes keeps the next character. Anything sh would expand or treat as an
// operator outside quotes (pipes, lists, redirections, substitutions, globs,
// comments, a tilde) and an open quote make the line no simple command:
// the machine then only knows it as one of its fixed compound lines.
namespace ShellWords {
std::optional<QStringList> split(const QString& commandLine);
}  // namespace ShellWords
