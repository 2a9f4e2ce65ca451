#include "CoreFixture.h"
#include "EasyPrefs.h"

#include <gtest/gtest.h>
#include <limits>

using namespace EasyPrefs;

namespace {
class EasyPrefsTest : public CoreFixture {};

struct NumberCase {
    const char* stored;  // nullptr: no entry
    int defaultValue;
    int expected;
};

struct BooleanCase {
    const char* stored;
    bool defaultValue;
    bool expected;
};
}  // namespace

TEST_F(EasyPrefsTest, NumbersAreTheLeadingDecimalFractionDropped)
{
    const int max = std::numeric_limits<int>::max();
    const NumberCase cases[] = {
        {nullptr, 15, 15}, {"2.9", 0, 2},   {"-2.9", 0, -2}, {"abc", 7, 0},       {"", 7, 0},
        {" 10 minutes", 0, 10}, {"+3", 0, 3}, {".5", 9, 0},  {"1e3", 0, 1000},    {"4e", 0, 4},
        {"99999999999", 0, max}, {"-99999999999", 0, std::numeric_limits<int>::min()}, {"1e999", 0, max},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        clear();
        if (c.stored)
            SetPrefString(QStringLiteral("warnMinutes"), QString::fromUtf8(c.stored));
        EXPECT_EQ(GetPrefNumber(QStringLiteral("warnMinutes"), c.defaultValue), c.expected);
    }
}

TEST_F(EasyPrefsTest, BooleansAreTrueOnlyForTheTextTrue)
{
    const BooleanCase cases[] = {
        {nullptr, true, true}, {nullptr, false, false}, {"TRUE", false, true}, {"true", false, true},
        {"yes", true, false},  {"1", true, false},      {" true", true, false}, {"", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        clear();
        if (c.stored)
            SetPrefString(QStringLiteral("showWarning"), QString::fromUtf8(c.stored));
        EXPECT_EQ(GetPrefBoolean(QStringLiteral("showWarning"), c.defaultValue), c.expected);
    }
}

TEST_F(EasyPrefsTest, NamesMatchWithoutRegardToCaseFirstEntryWinning)
{
    prefNames << QStringLiteral("sleepOnLogOut") << QStringLiteral("SLEEPONLOGOUT") << QStringLiteral("Größe");
    prefItems << QStringLiteral("false") << QStringLiteral("true") << QStringLiteral("1");
    EXPECT_FALSE(GetPrefBoolean(QStringLiteral("sleepOnLogout"), true));
    EXPECT_EQ(GetPrefString(QStringLiteral("GRÖßE"), {}), QStringLiteral("1"));

    SetPrefBoolean(QStringLiteral("sleeponlogout"), true);
    EXPECT_EQ(prefNames.mid(1), QStringList({"sleepOnLogOut", "SLEEPONLOGOUT", "Größe"}));
    EXPECT_EQ(prefItems.mid(1), QStringList({"true", "true", "1"}));
}

TEST_F(EasyPrefsTest, SettingKeepsThePositionAndNewNamesGoLast)
{
    SetPrefBoolean(QStringLiteral("showWarning"), true);
    SetPrefBoolean(QStringLiteral("realWeekends"), true);
    SetPrefBoolean(QStringLiteral("showWarning"), false);
    SetPrefString(QStringLiteral("warnMinutes"), QStringLiteral("10"));
    EXPECT_EQ(prefNames.mid(1), QStringList({"showWarning", "realWeekends", "warnMinutes"}));
    EXPECT_EQ(prefItems.mid(1), QStringList({"false", "true", "10"}));
    EXPECT_EQ(count(), 3);
}

TEST_F(EasyPrefsTest, FileItemsAreAbsolutePathsAndNoneDeletes)
{
    const QString app = QStringLiteral("/Applications/Nightfold.app");
    EXPECT_EQ(GetPrefFolderItem(QStringLiteral("appLocation"), std::nullopt), std::nullopt);
    EXPECT_EQ(GetPrefFolderItem(QStringLiteral("appLocation"), app), app);

    SetPrefBoolean(QStringLiteral("showUsers"), true);
    SetPrefFolderItem(QStringLiteral("appLocation"), app);
    SetPrefBoolean(QStringLiteral("useSwitching"), false);
    EXPECT_EQ(GetPrefFolderItem(QStringLiteral("APPLOCATION"), std::nullopt), app);
    EXPECT_EQ(GetPrefString(QStringLiteral("appLocation"), {}), app);

    SetPrefString(QStringLiteral("appLocation"), QString());
    EXPECT_EQ(GetPrefFolderItem(QStringLiteral("appLocation"), app), std::nullopt);  // empty text is none

    SetPrefFolderItem(QStringLiteral("appLocation"), std::nullopt);
    EXPECT_EQ(prefNames.mid(1), QStringList({"showUsers", "useSwitching"}));
    EXPECT_EQ(prefItems.mid(1), QStringList({"true", "false"}));
    DeletePref(QStringLiteral("notThere"));
    EXPECT_EQ(count(), 2);
}
