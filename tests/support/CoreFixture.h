#pragma once

#include "Clock.h"
#include "FakeCommandRunner.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh process for each test: empty globals, a fixed clock (Friday
// 2026-12-11 12:00), a private root folder, a fake shell, and the debug log
// and console lines caught.
class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes bytes to a system path below the root, creating folders.
    void writeSystemFile(const QString& systemPath, const QByteArray& bytes);
    QByteArray readSystemFile(const QString& systemPath) const;
    bool systemFileExists(const QString& systemPath) const;

    QTemporaryDir root;
    TestClock clock{LocalDateTime::fromParts(2026, 12, 11, 12, 0, 0)};
    FakeShell shell;
    QStringList debugLog;
    QStringList consoleLines;
};
