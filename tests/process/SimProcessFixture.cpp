#include "SimProcessFixture.h"

#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SystemPaths.h"

namespace {
const QString kSkipped = QStringLiteral("Another pass is still running; this minute is skipped.");

LocalDateTime onFriday(int hour, int minute) { return LocalDateTime::fromParts(2026, 12, 11, hour, minute); }

void allowEveningsUntil22WithTenHours(Schedule& schedule)
{
    schedule.Clear();
    schedule.Enabled = true;
    schedule.NightfoldOn = true;
    schedule.UptimeOn = true;
    schedule.Nightfold = onFriday(22, 0);
    schedule.Uptime = onFriday(7, 0);
    schedule.MaxOn = true;
    schedule.MaxUsage = 10;
    schedule.Action = QStringLiteral("Log Out");
}

void lockAllDay(Schedule& schedule)
{
    schedule.Clear();
    schedule.Enabled = true;
    schedule.forceLock = true;
    schedule.Action = QStringLiteral("Log Out");
}
}  // namespace

void SimProcessFixture::SetUp()
{
    CoreFixture::SetUp();
    ASSERT_TRUE(machine.prepareFolders());
    machine.addAccount(QStringLiteral("alice"), QStringLiteral("Alice Admin"));
    machine.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith"));
    machine.addAccount(QStringLiteral("carol"), QStringLiteral("Carol"));
    machine.addAdmin(QStringLiteral("alice"));
    machine.logIn(QStringLiteral("alice"));
    machine.logIn(QStringLiteral("bob"));
    machine.setFrontApplication(QStringLiteral("bob"), QStringLiteral("Safari"));

    // The administrator's rules, saved the way the settings application leaves them.
    clock.set(onFriday(20, 0));
    machine.install();
    Methods::ReadPrefs();
    for (int i = 1; i <= Globals::userCount(); ++i) {
        const auto& user = Globals::Users[i];
        for (Schedule* schedule : {user->Weekdays.get(), user->Weekends.get()}) {
            if (user->Name == QLatin1String("carol"))
                lockAllDay(*schedule);
            else if (user->Name == QLatin1String("bob"))
                allowEveningsUntil22WithTenHours(*schedule);
        }
        user->GetSchedule();
    }
    ASSERT_TRUE(Methods::SaveSettings(true));
    machine.uninstall();
    Globals::resetForNewProcess();
    ASSERT_EQ(machine.save(root.path()), QString());
}

QString SimProcessFixture::eveningMinute(int minute)
{
    return onFriday(20 + minute / 60, minute % 60).toText().left(16);
}

void SimProcessFixture::startPass(QProcess& process, const QString& at) const
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(NIGHTFOLD_SIM_PROGRAM), {QStringLiteral("pass"), root.path(), QStringLiteral("--at"), at});
}

bool SimProcessFixture::wasSkipped(const QString& output) { return output.contains(kSkipped); }

std::optional<QString> SimProcessFixture::finishedOutput(QProcess& process)
{
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAll());
}

int SimProcessFixture::countedMinutesOfBob()
{
    Globals::resetForNewProcess();
    machine.install();
    Methods::ReadPrefs();
    machine.uninstall();
    EXPECT_FALSE(Methods::settingsFileDamaged()) << "the settings file reads as damaged";
    for (int i = 1; i <= Globals::userCount(); ++i) {
        if (Globals::Users[i]->Name == QLatin1String("bob"))
            return Globals::Users[i]->activeMinutes;
    }
    ADD_FAILURE() << "bob has no record";
    return -1;
}

QByteArray SimProcessFixture::settingsFile() const { return readSystemFile(SystemPaths::settingsFile); }

QStringList SimProcessFixture::logLines() const
{
    return QString::fromUtf8(readSystemFile(SystemPaths::agentLogFile)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
