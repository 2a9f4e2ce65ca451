#pragma once

#include "LocalDateTime.h"
#include "SimulatedMachine.h"
#include "SimulatedPass.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QTime>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Texts are compared as standard strings so that failures print them readably.
using Lines = std::vector<std::string>;
Lines toLines(const QStringList& texts);
// The texts that contain part.
Lines matching(const QStringList& texts, const QString& part);

// One day type's rules as the administrator sets them in the settings window.
// No time and no limit: the user is not restricted.
struct Rules {
    std::optional<QTime> lockAt;       // use ends (the time rule)
    std::optional<QTime> openAt;       // use may begin again
    std::optional<double> dailyHours;  // the usage limit
    QString action = QStringLiteral("Log Out");
};

// What the agent keeps in the settings file between passes.
struct SettingsFileContents {
    std::map<std::string, std::string> preferences;
    std::map<std::string, int> activeMinutes;  // by account name
};

// A machine with its own root folder and the agent installed, passes run on it
// the way cron runs them, and the administrator's side of the settings file.
// Every scenario also checks, on tear-down, that the machine never got a
// command it does not know.
class ScenarioFixture : public ::testing::Test {
protected:
    static const QString settingsApplication;

    // A Wednesday evening and the next morning: the week's own rules.
    static LocalDateTime evening(int hour, int minute) { return LocalDateTime::fromParts(2026, 12, 9, hour, minute); }
    static LocalDateTime morning(int hour, int minute) { return LocalDateTime::fromParts(2026, 12, 10, hour, minute); }
    static Rules eveningRules(const QString& action = QStringLiteral("Log Out"))
    {
        return {QTime(21, 0), QTime(7, 0), std::nullopt, action};
    }

    void SetUp() override;
    void TearDown() override;

    // Accounts and logins are made at this moment, before the first pass.
    void setUpMachine(const std::function<void(SimulatedMachine&)>& build, const QString& osVersion = QStringLiteral("10.3"));

    // The administrator opens the settings application, sets these users'
    // weekday and weekend rules and these preferences, and saves: the
    // application stops any running agent and copies its file over the
    // settings file with administrator rights.
    void writeSettings(const QMap<QString, Rules>& rules, const QMap<QString, bool>& preferences = {},
                       const LocalDateTime& at = evening(20, 30));

    SimulatedPass::Outcome passAt(const LocalDateTime& at);
    // One pass a minute from `from` to `to` as cron runs them: none while the
    // machine sleeps or is off. The machine is woken at wakeAt.
    SimulatedPass::Outcome runMinutes(const LocalDateTime& from, const LocalDateTime& to,
                                      const std::optional<LocalDateTime>& wakeAt = std::nullopt);

    SettingsFileContents settingsFile() const;
    bool justLoggedOut() const;
    std::string recordValue(const QString& name, const QString& key) const;
    bool hasRecordValue(const QString& name, const QString& key) const;

    // "21:00:00 Locking user ..." from the log lines, "21:00:00 account locked: bob" from the events.
    static Lines logMessages(const SimulatedPass::Outcome& outcome);
    static Lines eventLines(const SimulatedPass::Outcome& outcome);

    QTemporaryDir root;
    SimulatedMachine machine;
    SimulatedPass pass{machine, root.path()};
};
