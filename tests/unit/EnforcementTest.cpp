#include "CommandRunner.h"
#include "CoreFixture.h"
#include "EasyPrefs.h"
#include "Globals.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "StringStuff.h"
#include "SystemPaths.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {
const QString kStampedPicture = QStringLiteral("/Library/Application Support/Nightfold/User Pictures/bob");
const QString kOwnPicture = QStringLiteral("/Library/User Pictures/Animals/Cat.png");
const QString kImages = QStringLiteral("/Library/StartupItems/NightfoldStartup/Images");
const QString kSuspend =
    QStringLiteral("\"/System/Library/CoreServices/Menu Extras/User.menu/Contents/Resources/CGSession\" -suspend");
const QString kFrontApplicationPath = QStringLiteral("/usr/bin/osascript -e 'return path to frontmost application as text'");
const QString kFinderUser = QStringLiteral("/usr/bin/osascript -e 'tell application \"Finder\" to return system attribute \"USER\"'");
const QString kFrontApplicationName = QStringLiteral(
    "/usr/bin/osascript -e 'tell application \"Finder\" to return name of first process whose frontmost is true and visible is true'");
const QString kFinderTest = QStringLiteral("(/bin/ps -axc | /usr/bin/grep Finder || echo \"yes\")");
const QString kDozeOffHelper = QStringLiteral("/Library/StartupItems/NightfoldStartup/DozeOff");

QString logOutLine(const QString& t8)
{
    return QStringLiteral("kill `ps -axuc | awk '/loginw/{print $2, $1, $11}' | awk '$2 == \"") + t8 + QStringLiteral("\" {print $1}'`");
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage filled(int size, const QColor& colour)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(const QColor& actual, const QColor& expected)
{
    return qAbs(actual.red() - expected.red()) < 40 && qAbs(actual.green() - expected.green()) < 40
        && qAbs(actual.blue() - expected.blue()) < 40;
}

class EnforcementTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        shell.answer(QStringLiteral("sw_vers"), [this](const QString&) {
            return QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t") + systemVersion + QStringLiteral("\nBuildVersion:\t7W98\n");
        });
    }

    void runningSystem(const QString& version)
    {
        Methods::resetSensingState();
        systemVersion = version;
    }

    QString systemVersion = QStringLiteral("10.3.9");

    // A managed user built from its record, as a pass builds it; the commands
    // of building are forgotten.
    std::shared_ptr<NightfoldUser> addUser(const QString& record)
    {
        auto user = std::make_shared<NightfoldUser>(UserClass(record));
        user->activeDay = 11;
        Globals::Users.append(user);
        shell.commands.clear();
        return user;
    }

    std::shared_ptr<NightfoldUser> addBob(const QString& extraRecordLines = {})
    {
        return addUser(QStringLiteral("name: bob\nrealname: Bob Smith\nshell: /bin/bash\n") + extraRecordLines);
    }

    static void mustStayLockedToday(NightfoldUser& user, const QString& action = QStringLiteral("Log Out"))
    {
        user.Enabled = true;
        user.Today->Enabled = true;
        user.Today->forceLock = true;
        user.Today->Action = action;
    }

    void shipPadlock(const QImage& mask)
    {
        writeSystemFile(kImages + QStringLiteral("/LockIcon.pict"), png(filled(16, Qt::black)));
        writeSystemFile(kImages + QStringLiteral("/LockMask.pict"), png(mask));
    }

    QImage savedStampedPicture() const
    {
        QImageReader reader(SystemPaths::resolve(kStampedPicture));
        EXPECT_EQ(reader.format(), QByteArray("jpeg"));
        return reader.read();
    }

    bool logged(const QString& line) const { return debugLog.contains(line); }

    bool errorReportedUnder(const QString& label) const
    {
        for (const QString& line : debugLog) {
            if (line.contains(QStringLiteral("error in ") + label))
                return true;
        }
        return false;
    }
};
}  // namespace

// Lock

TEST_F(EnforcementTest, LockStampsThenLocksTheRecordTheWayTheSystemGenerationNeeds)
{
    const struct {
        QString version;
        QStringList passwordCommands;
    } generations[] = {
        {QStringLiteral("10.3.9"),
         {QStringLiteral("niutil -createprop . /users/bob old_authority \";ShadowHash;\""),
          QStringLiteral("niutil -destroyprop . /users/bob authentication_authority")}},
        {QStringLiteral("10.2.8"),
         {QStringLiteral("niutil -createprop . /users/bob old_passwd \"x8Yq/2c\""),
          QStringLiteral("niutil -createprop . /users/bob passwd \"uauudt_lmk\"")}},
    };
    shipPadlock(filled(16, Qt::black));
    writeSystemFile(kOwnPicture, png(filled(48, Qt::red)));
    for (const auto& generation : generations) {
        SCOPED_TRACE(generation.version.toStdString());
        Globals::resetForNewProcess();
        debugLog.clear();
        runningSystem(generation.version);
        auto bob = addBob(QStringLiteral("picture: ") + kOwnPicture
                          + QStringLiteral("\nauthentication_authority: ;ShadowHash;\npasswd: x8Yq/2c\n"));
        mustStayLockedToday(*bob);
        ASSERT_FALSE(bob->LockedOut);

        bob->Lock();

        QStringList expected{QStringLiteral("niutil -createprop . /users/bob old_picture \"") + kOwnPicture + QStringLiteral("\""),
                             QStringLiteral("niutil -createprop . /users/bob picture \"") + kStampedPicture + QStringLiteral("\"")};
        expected += generation.passwordCommands;
        EXPECT_EQ(shell.commands, expected);  // not logged in: no action follows
        EXPECT_TRUE(bob->LockedOut);
        EXPECT_TRUE(logged(QStringLiteral("Locking user \"Bob Smith\"...")));
    }
}

TEST_F(EnforcementTest, LockWithoutThePadlockImagesStillLocksTheAccount)
{
    auto bob = addBob(QStringLiteral("picture: ") + kOwnPicture + QStringLiteral("\nauthentication_authority: ;ShadowHash;\n"));
    mustStayLockedToday(*bob);

    bob->Lock();

    EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("niutil -createprop . /users/bob old_picture \"") + kOwnPicture + QStringLiteral("\""),
                                           QStringLiteral("niutil -createprop . /users/bob old_authority \";ShadowHash;\""),
                                           QStringLiteral("niutil -destroyprop . /users/bob authentication_authority")}));
    EXPECT_TRUE(bob->LockedOut);
    EXPECT_FALSE(systemFileExists(kStampedPicture));
}

TEST_F(EnforcementTest, LockOfALoggedInUserSensesAgainAndPerformsTheAction)
{
    auto bob = addBob(QStringLiteral("picture: ") + kStampedPicture + QStringLiteral("\nauthentication_authority: ;ShadowHash;\n"));
    mustStayLockedToday(*bob, QStringLiteral("Log Out"));
    bob->LoggedIn = true;
    shell.answer(QStringLiteral("ps -auxcwww"), QStringLiteral("root\nbob\n"));
    shell.answer(kFrontApplicationPath, QStringLiteral("Macintosh HD:Applications:Safari.app:\n"));

    bob->Lock();

    EXPECT_EQ(shell.commands.mid(2), (QStringList{QStringLiteral("ps -auxcwww | awk '/loginwindow/{print $1}'"), kFrontApplicationPath,
                                                  logOutLine(QStringLiteral("bob"))}));
    EXPECT_TRUE(bob->LockedOut);
    EXPECT_FALSE(bob->LoggedIn);
    EXPECT_EQ(bob->activeMinutes, 0);  // sensing for the action credits no minute
}

TEST_F(EnforcementTest, LockOnALockedAccountOnlyLogsOutAUserStillAtTheMachine)
{
    for (const bool active : {true, false}) {
        SCOPED_TRACE(active);
        Globals::resetForNewProcess();
        runningSystem(QStringLiteral("10.3.9"));
        auto bob = addBob(QStringLiteral("old_authority: ;ShadowHash;\n"));
        ASSERT_TRUE(bob->LockedOut);
        mustStayLockedToday(*bob, QStringLiteral("Sleep"));
        bob->LoggedIn = true;
        bob->Active = active;

        bob->Lock();

        EXPECT_EQ(shell.commands, active ? QStringList{logOutLine(QStringLiteral("bob"))} : QStringList{});
        EXPECT_EQ(bob->LoggedIn, !active);
    }
}

TEST_F(EnforcementTest, LockLeavesAdministratorsDisabledUsersAndFreeTimeAlone)
{
    const struct {
        const char* who;
        bool isAdmin;
        bool enabled;
        bool todayEnabled;
    } cases[] = {
        {"administrator", true, true, true},
        {"not enabled", false, false, true},
        {"schedule does not keep locked", false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.who);
        auto bob = addBob(QStringLiteral("authentication_authority: ;ShadowHash;\n"));
        mustStayLockedToday(*bob);
        bob->isAdmin = c.isAdmin;
        bob->Enabled = c.enabled;
        bob->Today->Enabled = c.todayEnabled;
        bob->LoggedIn = true;
        bob->Active = true;

        bob->Lock();

        EXPECT_TRUE(shell.commands.isEmpty());
        EXPECT_FALSE(bob->LockedOut);
    }
}

// Restore

TEST_F(EnforcementTest, RestoreUnstampsThenUnlocksWhenTheLockIsNoLongerNeeded)
{
    const struct {
        QString version;
        QString passwordCommand;
    } generations[] = {
        {QStringLiteral("10.3.9"), QStringLiteral("niutil -createprop . /users/bob authentication_authority \";ShadowHash;HASHLIST:<SALTED-SHA1>\"")},
        {QStringLiteral("10.2.8"), QStringLiteral("niutil -createprop . /users/bob passwd \"x8Yq/2c\"")},
    };
    for (const auto& generation : generations) {
        SCOPED_TRACE(generation.version.toStdString());
        Globals::resetForNewProcess();
        debugLog.clear();
        runningSystem(generation.version);
        auto bob = addBob(QStringLiteral("picture: ") + kStampedPicture + QStringLiteral("\nold_picture: ") + kOwnPicture
                          + QStringLiteral("\nold_authority: ;ShadowHash;HASHLIST:<SALTED-SHA1>\npasswd: uauudt_lmk\nold_passwd: x8Yq/2c\n"));
        ASSERT_TRUE(bob->LockedOut);
        mustStayLockedToday(*bob);
        bob->Enabled = false;  // a user without rules today is always restored
        bob->isAdmin = true;   // and the administrator mark changes nothing here

        bob->Restore();

        EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("niutil -destroyprop . /users/bob picture"),
                                               QStringLiteral("niutil -createprop . /users/bob picture \"") + kOwnPicture + QStringLiteral("\""),
                                               generation.passwordCommand}));
        EXPECT_FALSE(bob->LockedOut);
        EXPECT_TRUE(logged(QStringLiteral("Restoring user \"Bob Smith\"...")));
    }
}

TEST_F(EnforcementTest, RestoreKeepsALockTheScheduleStillNeeds)
{
    auto bob = addBob(QStringLiteral("old_authority: ;ShadowHash;\n"));
    mustStayLockedToday(*bob);
    bob->isAdmin = true;

    bob->Restore();

    EXPECT_TRUE(shell.commands.isEmpty());
    EXPECT_TRUE(bob->LockedOut);
}

TEST_F(EnforcementTest, RestoreWithoutTheSavedAuthorityReportsAnErrorAndStaysLocked)
{
    auto bob = addBob(QStringLiteral("picture: ") + kStampedPicture + QStringLiteral("\nold_picture: ") + kOwnPicture + QStringLiteral("\n"));

    bob->Restore();

    EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("niutil -destroyprop . /users/bob picture"),
                                           QStringLiteral("niutil -createprop . /users/bob picture \"") + kOwnPicture + QStringLiteral("\"")}));
    EXPECT_TRUE(errorReportedUnder(QStringLiteral("NightfoldUser.Restore")));
    EXPECT_TRUE(bob->LockedOut);
}

TEST_F(EnforcementTest, RestoreWithoutTheSavedPictureRemovesThePictureAndUnlocks)
{
    auto bob = addBob(QStringLiteral("picture: ") + kStampedPicture + QStringLiteral("\nold_authority: ;ShadowHash;\n"));

    bob->Restore();

    EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("niutil -destroyprop . /users/bob picture"),
                                           QStringLiteral("niutil -createprop . /users/bob authentication_authority \";ShadowHash;\"")}));
    EXPECT_FALSE(bob->LockedOut);
    EXPECT_FALSE(errorReportedUnder(QStringLiteral("NightfoldUser.Restore")));
}

// Stamp and Unstamp

TEST_F(EnforcementTest, StampDrawsThePadlockThroughItsMaskInTheLowerLeftAndSavesAJpeg)
{
    // The mask hides the padlock's left half and shows its right half.
    QImage mask = filled(16, Qt::black);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            mask.setPixelColor(x, y, Qt::white);
    shipPadlock(mask);
    writeSystemFile(kOwnPicture, png(filled(48, Qt::red)));
    auto bob = addBob(QStringLiteral("picture: ") + kOwnPicture + QStringLiteral("\n"));

    bob->Stamp();

    EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("niutil -createprop . /users/bob old_picture \"") + kOwnPicture + QStringLiteral("\""),
                                           QStringLiteral("niutil -createprop . /users/bob picture \"") + kStampedPicture + QStringLiteral("\"")}));
    const QImage stamped = savedStampedPicture();
    ASSERT_EQ(stamped.size(), QSize(48, 48));
    EXPECT_TRUE(near(stamped.pixelColor(12, 44), Qt::black)) << "padlock shown where the mask is black";
    EXPECT_TRUE(near(stamped.pixelColor(3, 44), Qt::red)) << "picture kept where the mask is white";
    EXPECT_TRUE(near(stamped.pixelColor(40, 4), Qt::red)) << "picture kept outside the padlock";
    EXPECT_TRUE(QFileInfo(SystemPaths::resolve(kStampedPicture)).permissions().testFlag(QFile::ReadOther));
    EXPECT_EQ(QDir(SystemPaths::resolve(SystemPaths::userPicturesFolder)).entryList(QDir::Files | QDir::Hidden), QStringList{"bob"});
}

TEST_F(EnforcementTest, StampLeavesAStampedPictureAloneAndUnstampActsOnlyOnOne)
{
    shipPadlock(filled(16, Qt::black));
    auto stamped = addBob(QStringLiteral("picture: ") + kStampedPicture + QStringLiteral("\nold_picture: ") + kOwnPicture + QStringLiteral("\n"));
    stamped->Stamp();
    EXPECT_TRUE(shell.commands.isEmpty());
    EXPECT_FALSE(systemFileExists(kStampedPicture));

    auto own = addUser(QStringLiteral("name: carol\npicture: ") + kOwnPicture + QStringLiteral("\nold_picture: /elsewhere\n"));
    own->Unstamp();
    EXPECT_TRUE(shell.commands.isEmpty());
}

TEST_F(EnforcementTest, StampOfAnEmptyPictureSavesTheEmptyPathAndStampsTheSubstitute)
{
    shipPadlock(filled(16, Qt::black));
    writeSystemFile(kImages + QStringLiteral("/BlankUser.pict"), png(filled(48, Qt::blue)));
    auto bob = addBob(QStringLiteral("picture: \n"));

    bob->Stamp();

    EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("niutil -createprop . /users/bob old_picture \"\""),
                                           QStringLiteral("niutil -createprop . /users/bob picture \"") + kStampedPicture + QStringLiteral("\"")}));
    const QImage stamped = savedStampedPicture();
    EXPECT_TRUE(near(stamped.pixelColor(40, 4), Qt::blue));
    EXPECT_TRUE(near(stamped.pixelColor(4, 44), Qt::black));
}

TEST_F(EnforcementTest, StampReplacesALinkPlantedAtTheTargetWithoutWritingThroughIt)
{
    shipPadlock(filled(16, Qt::black));
    writeSystemFile(kOwnPicture, png(filled(48, Qt::red)));
    writeSystemFile(QStringLiteral("/etc/master.passwd"), "root:precious\n");
    QDir().mkpath(SystemPaths::resolve(SystemPaths::userPicturesFolder));
    ASSERT_TRUE(QFile::link(SystemPaths::resolve(QStringLiteral("/etc/master.passwd")), SystemPaths::resolve(kStampedPicture)));
    auto bob = addBob(QStringLiteral("picture: ") + kOwnPicture + QStringLiteral("\n"));

    bob->Stamp();

    EXPECT_EQ(readSystemFile(QStringLiteral("/etc/master.passwd")), QByteArray("root:precious\n"));
    EXPECT_FALSE(QFileInfo(SystemPaths::resolve(kStampedPicture)).isSymLink());
    EXPECT_EQ(savedStampedPicture().size(), QSize(48, 48));
    EXPECT_EQ(shell.commands.last(), QStringLiteral("niutil -createprop . /users/bob picture \"") + kStampedPicture + QStringLiteral("\""));
}

TEST_F(EnforcementTest, StampRefusesAPictureFolderThatIsALink)
{
    shipPadlock(filled(16, Qt::black));
    writeSystemFile(kOwnPicture, png(filled(48, Qt::red)));
    QDir().mkpath(SystemPaths::resolve(QStringLiteral("/etc")));
    QDir().mkpath(SystemPaths::resolve(SystemPaths::nightfoldSupportFolder));
    ASSERT_TRUE(QFile::link(SystemPaths::resolve(QStringLiteral("/etc")), SystemPaths::resolve(SystemPaths::userPicturesFolder)));
    auto bob = addBob(QStringLiteral("picture: ") + kOwnPicture + QStringLiteral("\n"));

    bob->Stamp();

    EXPECT_FALSE(systemFileExists(QStringLiteral("/etc/bob")));
    EXPECT_EQ(shell.commands, QStringList{QStringLiteral("niutil -createprop . /users/bob old_picture \"") + kOwnPicture + QStringLiteral("\"")});
}

// Logging out, switching out, the machine

TEST_F(EnforcementTest, LogOutKillsTheLoginWindowOfTheFirstEightCharactersAndSavesTheHandshake)
{
    auto chris = addUser(QStringLiteral("name: christopherxy\nrealname: Chris\nauthentication_authority: ;ShadowHash;\n"));
    ASSERT_EQ(chris->Name.size(), 13);
    chris->LoggedIn = true;
    chris->Active = true;

    chris->LogOut();

    EXPECT_EQ(shell.commands,
              QStringList{QStringLiteral("kill `ps -axuc | awk '/loginw/{print $2, $1, $11}' | awk '$2 == \"christop\" {print $1}'`")});
    EXPECT_FALSE(chris->LoggedIn);
    EXPECT_FALSE(chris->Active);
    EXPECT_TRUE(EasyPrefs::GetPrefBoolean(QStringLiteral("justLoggedOut"), false));
    EXPECT_TRUE(readSystemFile(SystemPaths::settingsFile).contains("justLoggedOut"));
    EXPECT_TRUE(logged(QStringLiteral("Logging out user \"christopherxy\"...")));
}

TEST_F(EnforcementTest, LogOutOfAUserWithoutALoginDoesNothing)
{
    auto bob = addBob();
    bob->LogOut();
    EXPECT_TRUE(shell.commands.isEmpty());
    EXPECT_FALSE(EasyPrefs::GetPrefBoolean(QStringLiteral("justLoggedOut"), false));
    EXPECT_FALSE(systemFileExists(SystemPaths::settingsFile));
}

TEST_F(EnforcementTest, SwitchOutSuspendsAndTriesOnceMoreOnlyWhileThisUserStaysInFront)
{
    const QStringList firstAttempt{QStringLiteral("killall -u bob Nightfold"), kSuspend, kFrontApplicationPath};
    const struct {
        const char* situation;
        QString front;
        QString finderUser;
        QStringList after;
        bool killsFrontApplication;
    } cases[] = {
        {"bob still in front", QStringLiteral("Macintosh HD:Applications:Safari.app:\n"), QStringLiteral("bob\n"),
         {kFinderUser, kFrontApplicationName, QStringLiteral("killall -u bob \"Safari\""), kSuspend}, true},
        {"carol in front", QStringLiteral("Macintosh HD:Applications:Mail.app:\n"), QStringLiteral("carol\n"), {kFinderUser}, false},
        {"login window in front", QStringLiteral("Macintosh HD:System:Library:CoreServices:loginwindow.app:\n"), QStringLiteral("bob\n"), {},
         false},
    };
    QString front;
    QString finderUser;
    shell.answer(kFrontApplicationPath, [&](const QString&) { return front; });
    shell.answer(kFinderUser, [&](const QString&) { return finderUser; });
    shell.answer(kFrontApplicationName, QStringLiteral("  Safari \n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        Globals::resetForNewProcess();
        debugLog.clear();
        front = c.front;
        finderUser = c.finderUser;
        addUser(QStringLiteral("name: carol\nrealname: Carol\n"));
        auto bob = addBob();
        bob->LoggedIn = true;
        bob->Active = true;
        const LocalDateTime before = clock.now();
        const qint64 waitedBefore = clock.waitedMilliseconds();

        bob->SwitchOut();

        EXPECT_EQ(shell.commands, firstAttempt + c.after);
        EXPECT_EQ(clock.now(), before.addSeconds(5));
        EXPECT_EQ(clock.waitedMilliseconds() - waitedBefore, 5000);
        EXPECT_FALSE(bob->Active);
        EXPECT_TRUE(bob->LoggedIn);
        EXPECT_TRUE(EasyPrefs::GetPrefBoolean(QStringLiteral("justLoggedOut"), false));
        EXPECT_TRUE(readSystemFile(SystemPaths::settingsFile).contains("justLoggedOut"));
        EXPECT_TRUE(logged(QStringLiteral("Switching out user \"bob\"...")));
        EXPECT_EQ(logged(QStringLiteral("Killing frontmost application for \"Bob Smith\"")), c.killsFrontApplication);
    }
}

TEST_F(EnforcementTest, SwitchOutOfAUserNotInFrontDoesNothing)
{
    auto bob = addBob();
    bob->LoggedIn = true;
    bob->SwitchOut();
    EXPECT_TRUE(shell.commands.isEmpty());
    EXPECT_EQ(clock.waitedMilliseconds(), 0);
}

TEST_F(EnforcementTest, RestartAndShutdownActOnlyWhileTheNameIsAmongTheLoggedInUsers)
{
    auto chris = addUser(QStringLiteral("name: christopherxy\n"));
    chris->Restart();
    chris->Shutdown();
    EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("/usr/bin/users | /usr/bin/grep -qwF christop && /sbin/reboot"),
                                           QStringLiteral("/usr/bin/users | /usr/bin/grep -qwF christop && /sbin/shutdown -h +0")}));
    EXPECT_EQ(debugLog, QStringList{QStringLiteral("Shutting down...")});
}

TEST_F(EnforcementTest, DozeOffRunsTheHelperBesideTheAgentOnlyWhenItIsThere)
{
    auto bob = addBob();
    bob->DozeOff();
    EXPECT_TRUE(shell.commands.isEmpty());
    EXPECT_EQ(Methods::getSleepCommand(), QStringLiteral("/usr/bin/false"));

    writeSystemFile(kDozeOffHelper, "#!/bin/sh\n");
    bob->DozeOff();
    EXPECT_EQ(shell.commands, QStringList{QStringLiteral("\"/Library/StartupItems/NightfoldStartup/DozeOff\"")});
    EXPECT_EQ(Methods::getSleepCommand(), QStringLiteral("\"/Library/StartupItems/NightfoldStartup/DozeOff\""));
    EXPECT_TRUE(debugLog.isEmpty());
}

TEST_F(EnforcementTest, DisplayWarningOpensTheWarningApplicationOnlyForTheUserInFront)
{
    auto bob = addBob();
    bob->LoggedIn = true;
    bob->DisplayWarning(QStringLiteral("Log Out"));
    EXPECT_TRUE(shell.commands.isEmpty());

    bob->Active = true;
    bob->DisplayWarning(QStringLiteral("Log Out"));
    EXPECT_EQ(shell.commands, QStringList{QStringLiteral("/usr/bin/open /Library/StartupItems/NightfoldStartup/NightfoldWarning.app")});
    EXPECT_EQ(debugLog, QStringList{QStringLiteral("Warning displayed for \"bob\"")});
}

TEST_F(EnforcementTest, SleepOrShutdownFollowsTheLoginWindowThePreferencesAndTheFinderTest)
{
    const QString finderLeft = QStringLiteral("  412  ??  Ss     0:01.20 Finder\n");
    const QString noFinder = QStringLiteral("yes\n");
    const QString sleep = QStringLiteral("\"/Library/StartupItems/NightfoldStartup/DozeOff\"");
    const QString shutdown = QStringLiteral("/sbin/shutdown -h +0");
    const struct {
        const char* situation;
        bool loginWindowOpen;
        std::optional<bool> shutdownOnLogOut;
        std::optional<bool> sleepOnLogOut;
        QString finderTest;
        QStringList commands;
        QStringList log;
    } cases[] = {
        {"login window not in front", false, true, true, noFinder, {}, {QStringLiteral("Sleep and/or Shutdown aborted...")}},
        {"neither key stored", true, {}, {}, noFinder, {kFinderTest, sleep}, {QStringLiteral("Going to sleep...")}},
        {"both on, a login left", true, true, true, finderLeft, {kFinderTest, sleep}, {QStringLiteral("Going to sleep...")}},
        {"shutdown on, no login left", true, true, false, noFinder, {kFinderTest, shutdown}, {QStringLiteral("Shutting down...")}},
        {"both on, no login left", true, true, true, noFinder, {kFinderTest, shutdown}, {QStringLiteral("Shutting down...")}},
        {"shutdown only, a login left", true, true, false, finderLeft, {kFinderTest}, {}},
        {"a process named like the answer", true, true, true, finderLeft + QStringLiteral("  413  ??  S  0:00.01 Finderyes\n"),
         {kFinderTest, sleep}, {QStringLiteral("Going to sleep...")}},
        {"both off", true, false, false, noFinder, {}, {}},
    };
    writeSystemFile(kDozeOffHelper, "#!/bin/sh\n");
    QString finderTest;
    shell.answer(kFinderTest, [&](const QString&) { return finderTest; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        Globals::resetForNewProcess();
        debugLog.clear();
        shell.commands.clear();
        finderTest = c.finderTest;
        Globals::loginWindowOpen = c.loginWindowOpen;
        if (c.shutdownOnLogOut)
            EasyPrefs::SetPrefBoolean(QStringLiteral("shutdownOnLogOut"), *c.shutdownOnLogOut);
        if (c.sleepOnLogOut)
            EasyPrefs::SetPrefBoolean(QStringLiteral("sleepOnLogOut"), *c.sleepOnLogOut);

        Methods::sleepOrShutdown();

        EXPECT_EQ(shell.commands, c.commands);
        EXPECT_EQ(debugLog, c.log);
    }
}

// Values from records and applications reach root's shell only quoted.

namespace {
const QString kHostileValues[] = {
    QStringLiteral(";ShadowHash;\" ; echo injected \""),
    QStringLiteral("$(echo injected)"),
    QStringLiteral("`echo injected`"),
    QStringLiteral("back\\slash\\\" and \\$HOME"),
    QStringLiteral("a | echo piped; echo two && echo three"),
    QStringLiteral("$HOME ${PATH} $$ 'single'"),
    QStringLiteral("ends with \\"),
};
}  // namespace

TEST_F(EnforcementTest, HostileValuesReachTheCommandLineOnlyQuotedWithEscapes)
{
    const QString hostile = QStringLiteral("/Users/bob/x\"$(echo a)`echo b`\\;|.tif");
    const QString escaped = QStringLiteral("\"/Users/bob/x\\\"\\$(echo a)\\`echo b\\`\\\\;|.tif\"");

    auto bob = addBob(QStringLiteral("picture: ") + hostile + QStringLiteral("\nold_authority: ") + hostile + QStringLiteral("\n"));
    bob->Stamp();
    bob->Restore();
    shell.answer(kFrontApplicationName, hostile + QStringLiteral("\n"));
    bob->killFrontmostApplication();

    EXPECT_EQ(shell.commands, (QStringList{QStringLiteral("niutil -createprop . /users/bob old_picture ") + escaped,
                                           QStringLiteral("niutil -createprop . /users/bob authentication_authority ") + escaped,
                                           kFrontApplicationName, QStringLiteral("killall -u bob ") + escaped}));
}

TEST_F(EnforcementTest, AQuotedValueArrivesByteExactThroughTheRealShell)
{
    for (const QString& value : kHostileValues) {
        SCOPED_TRACE(value.toStdString());
        Globals::resetForNewProcess();
        shell.commands.clear();
        auto bob = addBob(QStringLiteral("old_authority: ") + value + QStringLiteral("\n"));
        bob->Enabled = false;
        bob->Restore();
        ASSERT_EQ(shell.commands.size(), 1);
        const QString niutil = QStringLiteral("niutil ");
        ASSERT_TRUE(shell.commands[0].startsWith(niutil));

        // The same line with /bin/echo in niutil's place, through /bin/sh.
        ShellCommandRunner realShell;
        realShell.Execute(QStringLiteral("/bin/echo ") + shell.commands[0].mid(niutil.size()));

        EXPECT_EQ(realShell.Result(), QStringLiteral("-createprop . /users/bob authentication_authority ") + value + QStringLiteral("\n"));
    }
}
