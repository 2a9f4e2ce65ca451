#include "CoreFixture.h"
#include "EasyPrefs.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SystemPaths.h"

#include <gtest/gtest.h>

namespace {
class SettingsFileTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        shell.answer(QStringLiteral("niutil -list . /users"), QStringLiteral("501 bob\n502 carol\n"));
        shell.answer(QStringLiteral("niutil -read . /users/bob"),
                     QStringLiteral("name: bob\nrealname: Bob\nshell: /bin/bash\nauthentication_authority: ;ShadowHash;\n"));
        shell.answer(QStringLiteral("niutil -read . /users/carol"),
                     QStringLiteral("name: carol\nrealname: Carol\nshell: /bin/zsh\nauthentication_authority: ;ShadowHash;\n"));
    }
};
}  // namespace

TEST_F(SettingsFileTest, EmptyStateIsSixteenZeroBytes)
{
    ASSERT_TRUE(Methods::SaveSettings(true));
    EXPECT_EQ(readSystemFile(SystemPaths::settingsFile), QByteArray(16, '\0'));
}

TEST_F(SettingsFileTest, OnePreferenceEntryIs31Bytes)
{
    EasyPrefs::SetPrefBoolean(QStringLiteral("showWarning"), true);
    ASSERT_TRUE(Methods::SaveSettings(true));
    const QByteArray expected = QByteArray::fromHex("3ff0000000000000" "4026000000000000") + "showWarning"
        + QByteArray::fromHex("4010000000000000") + "true" + QByteArray(8, '\0');
    EXPECT_EQ(readSystemFile(SystemPaths::settingsFile), expected);
    EXPECT_EQ(expected.size() - 16, 31);
}

TEST_F(SettingsFileTest, RoundTripKeepsUsageSchedulesAndPreferences)
{
    Methods::ReadPrefs();
    ASSERT_EQ(Globals::userCount(), 2);
    auto bob = Globals::Users[1];
    bob->activeMinutes = 75;
    bob->activeDay = 11;
    bob->Weekdays->NightfoldOn = true;
    bob->Weekdays->UptimeOn = true;
    bob->Weekdays->Enabled = true;
    bob->Weekdays->Action = QStringLiteral("Log Out");
    bob->Weekdays->Nightfold = LocalDateTime::fromParts(2026, 12, 11, 21, 0);
    bob->Weekdays->Uptime = LocalDateTime::fromParts(2026, 12, 11, 7, 0);
    EasyPrefs::SetPrefBoolean(QStringLiteral("realWeekends"), false);
    bob->GetSchedule();
    ASSERT_TRUE(Methods::SaveSettings(true));
    const QByteArray first = readSystemFile(SystemPaths::settingsFile);

    Globals::resetForNewProcess();
    Methods::ReadPrefs();
    ASSERT_EQ(Globals::userCount(), 2);
    EXPECT_EQ(Globals::Users[1]->activeMinutes, 75);
    EXPECT_EQ(Globals::Users[1]->Weekdays->Nightfold.hour(), 21);
    EXPECT_TRUE(Globals::Users[1]->Enabled);  // Friday: the weekday rules are today's
    EXPECT_FALSE(EasyPrefs::GetPrefBoolean(QStringLiteral("realWeekends"), true));
    ASSERT_TRUE(Methods::SaveSettings(true));
    EXPECT_EQ(readSystemFile(SystemPaths::settingsFile), first);
}
