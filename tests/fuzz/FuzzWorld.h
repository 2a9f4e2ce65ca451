#pragma once

#include "Clock.h"
#include "FakeCommandRunner.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

// What every fuzz target shares: one private root folder, a fixed clock
// (Friday 2026-12-11 20:30), a fake shell, and log routines that only check
// what they are given. Each input starts from a fresh process state.
class FuzzWorld {
public:
    static FuzzWorld& instance();

    // Empty globals, no settings file, a shell with no answers.
    void startProcess();
    void writeSystemFile(const QString& systemPath, const QByteArray& bytes);
    QByteArray readSystemFile(const QString& systemPath) const;
    void removeSystemFile(const QString& systemPath);

    FakeShell& shell() { return *m_shell; }
    // Answers niutil with the given listing and records, sw_vers with 10.3.
    void answerDirectory(const QString& listing, const QList<QPair<QString, QString>>& records);

    TestClock clock{LocalDateTime::fromParts(2026, 12, 11, 20, 30, 0)};

private:
    FuzzWorld();
    // In memory where there is such a folder: saves sync the file to disk.
    QTemporaryDir m_root;
    std::unique_ptr<FakeShell> m_shell;
};

// A broken promise: report it and stop, so libFuzzer keeps the input.
[[noreturn]] void fuzzFailure(const char* what, const QString& detail = {});
inline void fuzzCheck(bool holds, const char* what, const QString& detail = {})
{
    if (!holds)
        fuzzFailure(what, detail);
}

// The input split at NUL bytes, each part decoded as UTF-8.
QStringList fuzzSections(const uint8_t* data, size_t size);

// A line the system hands /bin/sh, split into words the way sh would; false
// when sh would expand, split or join anything (the simulated machine's rule).
bool splitsIntoPlainWords(const QString& commandLine, QStringList& words);
