#include "AppDebugLog.h"
#include "CoreFixture.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "SystemPaths.h"

#include <QMap>
#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {
const QString kLoginWindowOwners = QStringLiteral("ps -auxcwww | awk '/loginwindow/{print $1}'");
const QString kFrontApplicationPath = QStringLiteral("/usr/bin/osascript -e 'return path to frontmost application as text'");
const QString kFinderUser = QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system attribute \"USER\"'");
const QString kSafariInFront = QStringLiteral("Macintosh HD:Applications:Safari.app:\n");
const QString kLoginWindowInFront = QStringLiteral("Macintosh HD:System:Library:CoreServices:loginwindow.app:\n");

// What a user is after sensing: has a login, is at the machine, minutes used.
struct Sensed {
    bool loggedIn;
    bool active;
    int minutes;
    friend bool operator==(const Sensed&, const Sensed&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Sensed& s)
    {
        return os << "{loggedIn " << s.loggedIn << ", active " << s.active << ", minutes " << s.minutes << "}";
    }
};

class SensingTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        shell.answer(QStringLiteral("sw_vers"), [this](const QString&) { return swVers; });
        shell.answer(kLoginWindowOwners, [this](const QString&) { return loginWindowOwners; });
        shell.answer(kFrontApplicationPath, [this](const QString&) { return frontApplication; });
        shell.answer(kFinderUser, [this](const QString&) { return finderUser; });
        shell.answer(QStringLiteral("who am i"), [this](const QString&) { return whoAmI; });
        runningSystem(QStringLiteral("10.3.9"));
    }

    void runningSystem(const QString& version)
    {
        Methods::resetSensingState();
        swVers = QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t") + version + QStringLiteral("\nBuildVersion:\t7W98\n");
    }

    std::shared_ptr<NightfoldUser> addUser(const QString& name, int activeMinutes = 30)
    {
        auto user = std::make_shared<NightfoldUser>();
        user->Name = name;
        user->activeMinutes = activeMinutes;
        user->activeDay = 11;
        Globals::Users.append(user);
        return user;
    }

    static Sensed sensed(const NightfoldUser& user) { return {user.LoggedIn, user.Active, user.activeMinutes}; }

    QString swVers;
    QString loginWindowOwners;
    QString frontApplication = kSafariInFront;
    QString finderUser;
    QString whoAmI;
};
}  // namespace

TEST_F(SensingTest, NewerSystemsCreditOnlyTheUserWhoseDesktopIsInFront)
{
    const Sensed away{true, false, 30};
    const Sensed out{false, false, 30};
    const Sensed credited{true, true, 31};
    const struct {
        const char* situation;
        QString owners;
        QString front;
        QString finderUser;
        Sensed bob;
        Sensed carol;
        bool loginWindowOpen;
        bool asksFinder;
    } cases[] = {
        {"one login, in front", QStringLiteral("root\nbob\n"), kSafariInFront, QStringLiteral("carol"), credited, out, false, false},
        {"two logins, carol's Finder answers", QStringLiteral("bob\ncarol\n"), kSafariInFront, QStringLiteral(" carol\n"), away,
         credited, false, true},
        {"two logins, an unmanaged user in front", QStringLiteral("bob\ncarol\ndave\n"), kSafariInFront, QStringLiteral("dave\n"), away,
         away, false, true},
        {"login window in front", QStringLiteral("root\nbob\n"), kLoginWindowInFront, QStringLiteral("bob\n"), away, out, true, false},
        {"no desktop answers", QStringLiteral("bob\n"), QStringLiteral("execution error: An error of type -10810 has occurred. (-10810)\n"),
         QStringLiteral("bob\n"), away, out, true, false},
        {"ps fails, the Finder still answers", QStringLiteral("sh: 1: ps: not found\n"), kSafariInFront, QStringLiteral("bob\n"),
         Sensed{false, true, 31}, out, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        Globals::resetForNewProcess();
        shell.commands.clear();
        loginWindowOwners = c.owners;
        frontApplication = c.front;
        finderUser = c.finderUser;
        auto bob = addUser(QStringLiteral("bob"));
        auto carol = addUser(QStringLiteral("carol"));
        carol->Active = true;  // left over from an earlier sensing

        Methods::updateActiveUsers(true);

        EXPECT_EQ(sensed(*bob), c.bob);
        EXPECT_EQ(sensed(*carol), c.carol);
        EXPECT_EQ(Globals::loginWindowOpen, c.loginWindowOpen);
        QStringList expected{kLoginWindowOwners, QStringLiteral("sw_vers"), kFrontApplicationPath};
        if (c.asksFinder)
            expected << kFinderUser;
        EXPECT_EQ(shell.commands, expected);
    }
}

TEST_F(SensingTest, OlderSystemsCreditEveryLoginWhateverIsInFront)
{
    runningSystem(QStringLiteral("10.2.8"));
    loginWindowOwners = QStringLiteral("bob\ncarol\n");
    frontApplication = kLoginWindowInFront;
    auto bob = addUser(QStringLiteral("bob"));
    auto carol = addUser(QStringLiteral("carol"));
    auto dana = addUser(QStringLiteral("dana"));

    Methods::updateActiveUsers(true);

    EXPECT_EQ(sensed(*bob), (Sensed{true, true, 31}));
    EXPECT_EQ(sensed(*carol), (Sensed{true, true, 31}));
    EXPECT_EQ(sensed(*dana), (Sensed{false, false, 30}));
    EXPECT_TRUE(Globals::loginWindowOpen);
    EXPECT_FALSE(shell.commands.contains(kFinderUser));
}

TEST_F(SensingTest, WithoutCreditTheUserInFrontIsActiveButNoMinuteIsCounted)
{
    for (const QString& version : {QStringLiteral("10.3.9"), QStringLiteral("10.2.8")}) {
        SCOPED_TRACE(version.toStdString());
        Globals::resetForNewProcess();
        runningSystem(version);
        loginWindowOwners = QStringLiteral("bob\n");
        auto bob = addUser(QStringLiteral("bob"));

        Methods::updateActiveUsers(false);

        EXPECT_EQ(sensed(*bob), (Sensed{true, true, 30}));
    }
}

TEST_F(SensingTest, LoginsAreFoundByWholeNamesOfAtMostEightCharacters)
{
    loginWindowOwners = QStringLiteral("root\n  bobby \nalexandr\n");
    finderUser = QStringLiteral("bobby\n");
    auto bob = addUser(QStringLiteral("bob"));
    auto bobby = addUser(QStringLiteral("bobby"));
    auto alexandria = addUser(QStringLiteral("alexandria"));
    auto in = addUser(QStringLiteral("in"));

    Methods::updateActiveUsers(true);

    EXPECT_FALSE(bob->LoggedIn);
    EXPECT_EQ(sensed(*bobby), (Sensed{true, true, 31}));
    EXPECT_EQ(sensed(*alexandria), (Sensed{true, false, 30}));
    EXPECT_FALSE(in->LoggedIn);
}

TEST_F(SensingTest, TheFirstSensingOfANewDayResetsEveryonesCount)
{
    loginWindowOwners = QStringLiteral("bob\n");
    auto bob = addUser(QStringLiteral("bob"), 90);
    auto carol = addUser(QStringLiteral("carol"), 45);
    bob->activeDay = 10;
    carol->activeDay = 10;

    Methods::updateActiveUsers(true);

    EXPECT_EQ(sensed(*bob), (Sensed{true, true, 1}));
    EXPECT_EQ(sensed(*carol), (Sensed{false, false, 0}));
    EXPECT_EQ(carol->activeDay, 11);
    EXPECT_TRUE(debugLog.contains(QStringLiteral("Resetting time for \"bob\"...")));
    EXPECT_TRUE(debugLog.contains(QStringLiteral("Resetting time for \"carol\"...")));
    EXPECT_TRUE(systemFileExists(SystemPaths::settingsFile));
}

TEST_F(SensingTest, TheDaysResetsAreSavedOnceTogether)
{
    // One whole-file save per reset would make the day's first pass quadratic.
    for (const char* name : {"bob", "carol", "dave"})
        addUser(QString::fromLatin1(name), 30)->activeDay = 10;
    // No save may come between one user's reset and the next.
    QList<bool> savedBeforeReset;
    App::setDebugLogWriter([&](const QString&) { savedBeforeReset.append(systemFileExists(SystemPaths::settingsFile)); });
    Methods::updateActiveUsers(true);
    EXPECT_EQ(savedBeforeReset, QList<bool>({false, false, false}));
    ASSERT_TRUE(systemFileExists(SystemPaths::settingsFile));

    Globals::resetForNewProcess();
    shell.answer(QStringLiteral("niutil -list . /users"), QStringLiteral("1 bob\n2 carol\n3 dave\n"));
    for (const char* name : {"bob", "carol", "dave"})
        shell.answer(QStringLiteral("niutil -read . /users/") + QString::fromLatin1(name),
                     QStringLiteral("name: %1\nshell: /bin/bash\nauthentication_authority: ;ShadowHash;\n").arg(QString::fromLatin1(name)));
    Methods::ReadPrefs();
    ASSERT_EQ(Globals::userCount(), 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(Globals::Users[i]->activeDay, 11);
        EXPECT_EQ(Globals::Users[i]->activeMinutes, 0);
    }
}

TEST_F(SensingTest, TheLoginWindowCountsAsInFrontForItsStandInsToo)
{
    const QMap<QString, bool> answers{
        {kLoginWindowInFront, true},
        {QStringLiteral("Macintosh HD:System:Library:CoreServices:SecurityAgent.app:\n"), true},
        {QStringLiteral("0:42: execution error: No user interaction allowed. (-1713)\n"), true},
        {kSafariInFront, false},
        {QStringLiteral("Macintosh HD:Applications:Login Items Manager.app:\n"), false},
    };
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        shell.commands.clear();
        frontApplication = it.key();
        EXPECT_EQ(Methods::isLoginWindowOpen(), it.value());
        EXPECT_EQ(shell.commands, QStringList{kFrontApplicationPath});
    }
}

TEST_F(SensingTest, TheAgentAsksTheFinderInFrontForItsUser)
{
    addUser(QStringLiteral("bob"));
    auto carol = addUser(QStringLiteral("carol"));

    finderUser = QStringLiteral("  Carol\n");
    EXPECT_EQ(Methods::getCurrentUser(), carol);
    EXPECT_FALSE(carol->isCurrent);

    for (const QString& answer : {QStringLiteral("dave\n"), QStringLiteral(""), QStringLiteral("execution error: Finder got an error (-600)\n")}) {
        finderUser = answer;
        EXPECT_EQ(Methods::getCurrentUser(), nullptr) << answer.toStdString();
    }
}

TEST_F(SensingTest, TheSettingsApplicationFindsItsOwnUserThroughWhoAmI)
{
    Methods::setProgram(Methods::Program::SettingsApplication);
    addUser(QStringLiteral("bob"));
    auto alexandria = addUser(QStringLiteral("alexandria"));

    whoAmI = QStringLiteral("alexandr console  Dec 11 20:40 \n");
    EXPECT_EQ(Methods::getCurrentUser(), alexandria);
    EXPECT_TRUE(alexandria->isCurrent);
    EXPECT_EQ(shell.commands.last(), QStringLiteral("who am i"));

    for (const QString& answer : {QStringLiteral("alexandr"), QStringLiteral("dave     console  Dec 11 20:40 \n"), QStringLiteral(" bob\n")}) {
        whoAmI = answer;
        EXPECT_EQ(Methods::getCurrentUser(), nullptr) << answer.toStdString();
    }
    EXPECT_TRUE(alexandria->isCurrent);  // never set back
}

TEST_F(SensingTest, OnlyTenPointOneAndTenPointTwoAreTheOlderSystems)
{
    const struct {
        QString output;
        bool older;
    } cases[] = {
        {QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.1.5\nBuildVersion:\t5S60\n"), true},
        {QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.2.8\nBuildVersion:\t6R73\n"), true},
        {QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.2\nBuildVersion:\t6C115\n"), true},
        {QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.3.9\nBuildVersion:\t7W98\n"), false},
        {QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.10.5\nBuildVersion:\t14F27\n"), false},
        {QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.4\nBuildVersion:\t8A428\n"), false},
        {QStringLiteral("ProductName:\tMac OS X 10.2\nProductVersion:\t10.4.11\nBuildVersion:\t8S165\n"), false},
        {QStringLiteral("garbage 10.1 10.2\n"), false},
        {QStringLiteral("sh: 1: sw_vers: not found\n"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output.toStdString());
        Methods::resetSensingState();
        swVers = c.output;
        EXPECT_EQ(Methods::isJaguar(), c.older);
    }
}

TEST_F(SensingTest, TheSystemVersionIsAskedOncePerProcess)
{
    runningSystem(QStringLiteral("10.2.8"));
    loginWindowOwners = QStringLiteral("bob\n");
    addUser(QStringLiteral("bob"));
    EXPECT_TRUE(Methods::isJaguar());
    swVers = QStringLiteral("ProductVersion:\t10.4.11\n");  // what a new process would learn

    Methods::updateActiveUsers(true);
    EXPECT_TRUE(Methods::isJaguar());
    EXPECT_EQ(shell.commands.count(QStringLiteral("sw_vers")), 1);

    Methods::resetSensingState();
    EXPECT_FALSE(Methods::isJaguar());
    EXPECT_EQ(shell.commands.count(QStringLiteral("sw_vers")), 2);
}
