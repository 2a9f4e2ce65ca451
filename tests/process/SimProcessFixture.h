#pragma once

#include "CoreFixture.h"
#include "SimulatedMachine.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

// A simulated machine kept in the test's root folder, as nightfold-sim keeps
// it, whose agent passes run as real processes of their own: bob at the
// desktop (Safari) with evening rules and a daily limit, alice (an
// administrator) logged in behind him, carol locked out all day.
class SimProcessFixture : public CoreFixture {
protected:
    void SetUp() override;

    // "2026-12-11 HH:MM" for a minute after 20:00 on the fixture's Friday.
    static QString eveningMinute(int minute);
    // A started `nightfold-sim pass ROOT --at at`.
    void startPass(QProcess& process, const QString& at) const;
    // Waits for a started pass: its output, or nullopt when it did not end
    // with status 0.
    static std::optional<QString> finishedOutput(QProcess& process);
    // The pass found another one running and ran nothing.
    static bool wasSkipped(const QString& output);

    // The settings file as a new pass would read it: fails the test when it
    // reads as damaged; gives bob's counted minutes.
    int countedMinutesOfBob();
    QByteArray settingsFile() const;
    QStringList logLines() const;

    SimulatedMachine machine;
};
