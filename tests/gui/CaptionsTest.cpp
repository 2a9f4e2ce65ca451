#include "MainWinFixture.h"

#include "PopupArrow.h"

#include <QFontMetrics>
#include <QLabel>

using CaptionsTest = MainWinFixture;

namespace {
// A Wednesday: no weekend rule borrowed, the weekday schedule in force.
LocalDateTime wednesdayAt(int hour, int minute, int second = 0) { return LocalDateTime::fromParts(2026, 12, 9, hour, minute, second); }
}  // namespace

TEST_F(CaptionsTest, CountsDownToTheEndOfTheAllowedHours)
{
    clock.set(wednesdayAt(12, 0));
    writeSettings([] { Rules{.from = QTime(7, 0), .until = QTime(21, 0)}.applyTo(*user("bob")->Weekdays); });
    MainWin* window = openWindow();
    ASSERT_TRUE(user("bob")->isCurrent);

    struct Case {
        LocalDateTime now;
        QString line;
    };
    const Case cases[] = {
        {wednesdayAt(20, 59, 30), "Log Out in 00:00:30"},
        {wednesdayAt(21, 0, 0), "Log Out in 00:00:00"},
        {wednesdayAt(21, 0, 10), "Restrictions for Weekdays."},
        {wednesdayAt(21, 1, 0), "Log Out in 23:59:00"},
        {wednesdayAt(6, 0, 0), "Log Out in 15:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now.toText().toStdString());
        clock.set(c.now);
        window->CaptionTimer_Action();
        EXPECT_EQ(window->ActionCaption->text(), c.line);
    }
}

TEST_F(CaptionsTest, TheEarlierOfDailyLimitAndEndOfHoursWins)
{
    struct Case {
        double limit;
        int minutesUsed;
        QString line;
    };
    const Case cases[] = {
        {1.5, 0, "Log Out in 01:30:00"},
        {1.5, 30, "Log Out in 01:00:00"},
        {5, 0, "Log Out in 04:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        clock.set(wednesdayAt(17, 0));
        writeSettings([&] {
            Rules{.until = QTime(21, 0), .limit = c.limit, .limitOn = true}.applyTo(*user("bob")->Weekdays);
            user("bob")->activeMinutes = c.minutesUsed;
            user("bob")->activeDay = 9;
        });
        MainWin* window = openWindow();
        EXPECT_EQ(window->ActionCaption->text(), c.line);
        delete window;
    }
}

TEST_F(CaptionsTest, OthersSeeWhatTheirRulesSay)
{
    struct Case {
        const char* name;
        Rules weekdays;
        QString line;
    };
    const Case cases[] = {
        {"carol", {.until = QTime(21, 0)}, "Restrictions for Weekdays."},  // not the user at the desktop
        {"bob", {.forceLock = true}, "Restrictions for Weekdays."},        // may not log in today
        {"carol", {}, "No restrictions in effect now."},
        {"alice", {}, "Admin user: No restrictions"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clock.set(wednesdayAt(20, 0));
        writeSettings([&] { c.weekdays.applyTo(*user(c.name)->Weekdays); });
        MainWin* window = openWindow();
        show(window, c.name);
        EXPECT_EQ(window->ActionCaption->text(), c.line);
        delete window;
    }
}

TEST_F(CaptionsTest, TheNameCaptionFitsTheNameAndTheArrowFollowsIt)
{
    machine.addAccount(QStringLiteral("dave"), QStringLiteral("David Alexander Montgomery-Featherstonehaugh"));
    writeSettings();
    MainWin* window = openWindow();
    for (const QString name : {"dave", "carol"}) {
        show(window, name);
        const QString realName = user(name)->RealName;
        const int width = QFontMetrics(window->UserCaption->font()).horizontalAdvance(realName) + 5;
        EXPECT_EQ(window->UserCaption->text(), realName);
        EXPECT_EQ(window->UserCaption->width(), width);
        EXPECT_EQ(window->UserArrow->x(), window->UserCaption->x() + width + 5);
    }
}
