#include "ScenarioFixture.h"

#include "AppDebugLog.h"
#include "AuthorizationShell.h"
#include "Clock.h"
#include "Console.h"
#include "EasyPrefs.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "RuntimeError.h"
#include "Schedule.h"
#include "SettingsStream.h"
#include "SimFileSystem.h"
#include "StartupItemInstaller.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QFile>

const QString ScenarioFixture::settingsApplication = QStringLiteral("/Applications/Nightfold.app");

Lines toLines(const QStringList& texts)
{
    Lines lines;
    for (const QString& text : texts)
        lines.push_back(text.toStdString());
    return lines;
}

Lines matching(const QStringList& texts, const QString& part)
{
    Lines found;
    for (const QString& text : texts) {
        if (text.contains(part))
            found.push_back(text.toStdString());
    }
    return found;
}

namespace {
void applyRules(Schedule& schedule, const Rules& rules, const QDate& day)
{
    schedule.Clear();
    schedule.NightfoldOn = rules.lockAt.has_value();
    if (rules.lockAt)
        schedule.Nightfold = LocalDateTime::fromDateAndTime(day, *rules.lockAt);
    schedule.UptimeOn = rules.openAt.has_value();
    if (rules.openAt)
        schedule.Uptime = LocalDateTime::fromDateAndTime(day, *rules.openAt);
    schedule.MaxOn = rules.dailyHours.has_value();
    schedule.MaxUsage = rules.dailyHours.value_or(0);
    schedule.Enabled = schedule.NightfoldOn || schedule.MaxOn;
    schedule.Action = rules.action;
}

std::shared_ptr<NightfoldUser> managedUser(const QString& name)
{
    for (int i = 1; i <= Globals::userCount(); ++i) {
        if (TextCompare::same(Globals::Users[i]->Name, name))
            return Globals::Users[i];
    }
    return nullptr;
}

void append(SimulatedPass::Outcome& all, const SimulatedPass::Outcome& one)
{
    all.logLines += one.logLines;
    all.events += one.events;
    all.timeline += one.timeline;
    all.commands += one.commands;
}
}  // namespace

void ScenarioFixture::SetUp()
{
    ASSERT_TRUE(root.isValid());
    Globals::resetForNewProcess();
    SystemPaths::setRoot(root.path());
    SystemPaths::setProgramFolder(SystemPaths::installedFolder);
    SystemPaths::setTemporaryFolder(QStringLiteral("/tmp"));
    machine.install();
}

void ScenarioFixture::TearDown()
{
    EXPECT_EQ(toLines(machine.unknownCommands()), Lines());
    machine.uninstall();
    Console::setSink({});
    App::setDebugLogWriter({});
    Clock::setSource(nullptr);
    SystemPaths::setRoot(QStringLiteral("/"));
    Globals::resetForNewProcess();
}

void ScenarioFixture::setUpMachine(const std::function<void(SimulatedMachine&)>& build, const QString& osVersion)
{
    TestClock clock(evening(20, 0));
    ScopedClock scoped(clock);
    SystemPaths::setRoot(root.path());
    machine.setOsVersion(osVersion);
    build(machine);
    ASSERT_TRUE(StartupItemInstaller::install(machine, QStringLiteral(NIGHTFOLD_STARTUP_DIR)));
    // The settings application, where it notes it lives at each start.
    ASSERT_TRUE(SimFileSystem::makeFolders(QStringLiteral("/Applications")));
    ASSERT_TRUE(SimFileSystem::write(settingsApplication, "settings application\n"));
}

void ScenarioFixture::writeSettings(const QMap<QString, Rules>& rules, const QMap<QString, bool>& preferences, const LocalDateTime& at)
{
    TestClock clock(at);
    ScopedClock scoped(clock);
    SystemPaths::setRoot(root.path());
    machine.install();
    Globals::resetForNewProcess();
    Methods::setProgram(Methods::Program::SettingsApplication);
    Methods::ReadPrefs();
    EasyPrefs::SetPrefFolderItem(QStringLiteral("appLocation"), settingsApplication);
    for (auto it = rules.cbegin(); it != rules.cend(); ++it) {
        const auto user = managedUser(it.key());
        if (!user) {
            ADD_FAILURE() << "no managed user " << it.key().toStdString();
            continue;
        }
        applyRules(*user->Weekdays, *it, at.date());
        applyRules(*user->Weekends, *it, at.date());
        user->GetSchedule();
    }
    for (auto it = preferences.cbegin(); it != preferences.cend(); ++it)
        EasyPrefs::SetPrefBoolean(it.key(), *it);

    // The padlock was opened with an administrator's password; the save uses it.
    auto unlock = Authorization::newShell();
    unlock->Assign(0);
    EXPECT_TRUE(unlock->Run(QStringLiteral("/bin/echo"), true, {QStringLiteral("Yeehaw!")}));
    Globals::savedAuthorization = unlock->Retrieve();
    EXPECT_TRUE(Methods::SavePrefs());
    Authorization::services().freeAuthorization(Globals::savedAuthorization);
    Globals::resetForNewProcess();
    Methods::setProgram(Methods::Program::Agent);
}

SimulatedPass::Outcome ScenarioFixture::passAt(const LocalDateTime& at) { return pass.run(at); }

SimulatedPass::Outcome ScenarioFixture::runMinutes(const LocalDateTime& from, const LocalDateTime& to,
                                                   const std::optional<LocalDateTime>& wakeAt)
{
    SimulatedPass::Outcome all;
    for (LocalDateTime at = from; at <= to; at = at.addSeconds(60)) {
        if (wakeAt && at == *wakeAt)
            machine.wake();
        if (pass.machineAwake())
            append(all, pass.run(at));
    }
    return all;
}

SettingsFileContents ScenarioFixture::settingsFile() const
{
    SettingsFileContents contents;
    QFile file(root.filePath(SystemPaths::settingsFile.mid(1)));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no settings file";
        return contents;
    }
    SettingsReader reader(file.readAll());
    try {
        const int preferences = reader.readCount();
        for (int i = 0; i < preferences; ++i) {
            const QString name = reader.readText();
            contents.preferences[name.toStdString()] = reader.readText().toStdString();
        }
        const int users = reader.readCount();
        for (int i = 0; i < users; ++i) {
            const QString name = reader.readText();
            contents.activeMinutes[name.toStdString()] = reader.readInteger();
            reader.readByte();
            Schedule skipped;
            for (int s = 0; s < 3; ++s)
                skipped.Load(reader);
        }
    } catch (const DamagedFileError& error) {
        ADD_FAILURE() << "damaged settings file: " << error.what();
    }
    EXPECT_EQ(reader.bytesLeft(), 0);
    return contents;
}

bool ScenarioFixture::justLoggedOut() const
{
    for (const auto& [name, value] : settingsFile().preferences) {
        if (TextCompare::same(QString::fromStdString(name), QStringLiteral("justLoggedOut")))
            return TextCompare::same(QString::fromStdString(value), QStringLiteral("true"));
    }
    return false;
}

std::string ScenarioFixture::recordValue(const QString& name, const QString& key) const
{
    const AccountRecord* record = machine.account(name);
    return record ? record->value(key).toStdString() : std::string();
}

bool ScenarioFixture::hasRecordValue(const QString& name, const QString& key) const
{
    const AccountRecord* record = machine.account(name);
    return record && record->has(key);
}

Lines ScenarioFixture::logMessages(const SimulatedPass::Outcome& outcome)
{
    static const QString mark = QStringLiteral(" NightfoldAgent: ");
    QStringList messages;
    for (const QString& line : outcome.logLines) {
        const qsizetype at = line.indexOf(mark);
        messages.append(at < 0 ? line : line.mid(at - 8, 8) + QLatin1Char(' ') + line.mid(at + mark.size()));
    }
    return toLines(messages);
}

Lines ScenarioFixture::eventLines(const SimulatedPass::Outcome& outcome)
{
    Lines lines;
    for (const MachineEvent& event : outcome.events)
        lines.push_back((event.at.timeText() + QLatin1Char(' ') + event.text).toStdString());
    return lines;
}
