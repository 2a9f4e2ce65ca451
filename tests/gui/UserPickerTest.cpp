#include "../sim/SimMachineFixture.h"

#include "EasyPrefs.h"
#include "Globals.h"
#include "MainWin.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "SystemPaths.h"
#include "UserBox.h"
#include "UserPicker.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QStackedWidget>
#include <QTest>
#include <functional>

namespace {
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The settings application on the machine with its main window shown: alice,
// bob and carol are the managed users, bob's login picture is plain red.
class UserPickerTest : public SimMachineFixture {
protected:
    void SetUp() override
    {
        SimMachineFixture::SetUp();
        const QString picture = QStringLiteral("/Library/User Pictures/red.png");
        QDir().mkpath(SystemPaths::resolve(QStringLiteral("/Library/User Pictures")));
        QImage red(48, 48, QImage::Format_ARGB32);
        red.fill(Qt::red);
        ASSERT_TRUE(red.save(SystemPaths::resolve(picture)));
        machine.state().findAccount(QStringLiteral("bob"))->record.set(QStringLiteral("picture"), picture);

        Methods::setProgram(Methods::Program::SettingsApplication);
        Methods::ReadPrefs();
        ASSERT_EQ(Globals::userCount(), 3);
        Globals::savedAuthorization = machine.authorization().prompt();
        main = MainWin::instance();
        main->setGeometry(100, 100, 376, 341);
        main->show();
        settle();
    }

    void TearDown() override
    {
        delete MainWin::existing();  // takes the drawer with it
        settle();
        SimMachineFixture::TearDown();
    }

    UserPicker* openDrawer(int currentUser)
    {
        main->currentUser = currentUser ? Globals::Users[currentUser] : nullptr;
        UserPicker::instance()->openBesideMainWindow();
        settle();
        return UserPicker::existing();
    }

    // The application started again: what the settings file holds.
    void restart()
    {
        ASSERT_TRUE(Methods::SavePrefs());
        Globals::resetForNewProcess();
        Methods::ReadPrefs();
        Globals::savedAuthorization = machine.authorization().prompt();
    }

    static int selectedRow(UserBox* box)
    {
        const auto selected = box->selectedItems();
        return selected.isEmpty() ? -1 : box->row(selected.first());
    }

    static void click(UserBox* box, const QPoint& at) { QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, at); }

    MainWin* main = nullptr;
};

TEST_F(UserPickerTest, OpeningListsEveryUserAndSelectsTheCurrentOne)
{
    struct Case {
        int currentUser;  // index in Globals::Users, 0: none
        int selectedRow;
        const char* showUsers;  // the preference afterwards, "" when untouched
    };
    for (const Case& c : {Case{2, 1, "true"}, Case{0, -1, ""}}) {
        SCOPED_TRACE(c.currentUser);
        EasyPrefs::clear();
        UserPicker* drawer = openDrawer(c.currentUser);
        ASSERT_NE(drawer, nullptr);
        EXPECT_EQ(drawer->windowTitle(), "Users");
        EXPECT_TRUE(Globals::usersWindowOpen);
        ASSERT_EQ(drawer->Box->count(), 3);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(drawer->Box->item(row)->text(), Globals::Users[row + 1]->RealName);
        EXPECT_EQ(selectedRow(drawer->Box), c.selectedRow);
        EXPECT_EQ(main->currentUser, c.currentUser ? Globals::Users[c.currentUser] : nullptr);
        EXPECT_EQ(EasyPrefs::GetPrefString(QStringLiteral("showUsers"), QString()), c.showUsers);
        drawer->close();
        settle();
        EXPECT_FALSE(Globals::usersWindowOpen);
        EXPECT_EQ(UserPicker::existing(), nullptr);
    }
}

TEST_F(UserPickerTest, ChoosingARowMakesThatUserCurrentAndAClickBelowTheRowsLeavesNone)
{
    UserPicker* drawer = openDrawer(2);
    UserBox* box = drawer->Box;
    click(box, box->visualItemRect(box->item(2)).center());
    EXPECT_EQ(selectedRow(box), 2);
    EXPECT_EQ(main->currentUser, Globals::Users[3]);

    click(box, box->visualItemRect(box->item(2)).bottomLeft() + QPoint(10, 20));
    EXPECT_EQ(selectedRow(box), -1);
    EXPECT_EQ(main->currentUser, nullptr);
    if (main->SettingsPanel) {
        EXPECT_TRUE(main->SettingsPanel->isHidden());
    }

    click(box, box->visualItemRect(box->item(0)).center());
    EXPECT_EQ(main->currentUser, Globals::Users[1]);
}

TEST_F(UserPickerTest, RowsAre48PixelsWithThePictureAt5And5AndTheNameFrom60)
{
    UserPicker* drawer = openDrawer(0);
    UserBox* box = drawer->Box;
    const QRect row = box->visualItemRect(box->item(1));  // bob
    EXPECT_EQ(row.height(), 48);
    EXPECT_EQ(box->visualItemRect(box->item(2)).top(), row.top() + 48);

    const QImage drawn = box->viewport()->grab().toImage();
    const auto at = [&](int x, int y) { return drawn.pixelColor(row.topLeft() + QPoint(x, y)); };
    // bob's 48-pixel picture at 32 x 32, its corners inside, the pixels around it not red.
    for (const QPoint inside : {QPoint(5, 5), QPoint(36, 5), QPoint(5, 36), QPoint(36, 36)})
        EXPECT_EQ(at(inside.x(), inside.y()), QColor(Qt::red)) << inside.x() << "," << inside.y();
    for (const QPoint outside : {QPoint(4, 5), QPoint(5, 4), QPoint(37, 36), QPoint(36, 37)})
        EXPECT_NE(at(outside.x(), outside.y()), QColor(Qt::red)) << outside.x() << "," << outside.y();

    // The name: drawn from 60 on, nothing between the picture and there.
    const QColor background = at(45, 24);
    bool inkBefore = false;
    bool inkAfter = false;
    for (int y = 0; y < 48; ++y) {
        for (int x = 38; x < 60; ++x)
            inkBefore = inkBefore || at(x, y) != background;
        for (int x = 60; x < 80; ++x)
            inkAfter = inkAfter || at(x, y) != background;
    }
    EXPECT_FALSE(inkBefore);
    EXPECT_TRUE(inkAfter);
}

TEST_F(UserPickerTest, ShowUsersIsRememberedAcrossRestartsAndOnlyHideUsersForgetsIt)
{
    struct Case {
        const char* how;
        std::function<void(UserPicker*)> close;
        bool comesBack;
    };
    const Case cases[] = {
        {"locking the main window", [](UserPicker* drawer) { drawer->close(); }, true},
        {"Hide Users", [](UserPicker* drawer) { drawer->Kill(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        EasyPrefs::SetPrefBoolean(QStringLiteral("showUsers"), false);
        openDrawer(1)->close();  // "Show Users", then the lock
        settle();
        restart();
        EXPECT_TRUE(EasyPrefs::GetPrefBoolean(QStringLiteral("showUsers"), false));

        c.close(openDrawer(1));
        settle();
        EXPECT_FALSE(Globals::usersWindowOpen);
        EXPECT_EQ(UserPicker::existing(), nullptr);
        restart();
        EXPECT_EQ(EasyPrefs::GetPrefBoolean(QStringLiteral("showUsers"), !c.comesBack), c.comesBack);
    }
}

TEST_F(UserPickerTest, TheDrawerFollowsTheMainWindow)
{
    UserPicker* drawer = openDrawer(1);
    const auto besideMain = [&] { return QPoint(main->frameGeometry().right() + 1, main->frameGeometry().top()); };
    EXPECT_EQ(drawer->pos(), besideMain());
    EXPECT_EQ(drawer->size(), QSize(212, 306));

    const std::function<void()> moves[] = {
        [&] { main->move(300, 200); },
        [&] { main->resize(376, 60); },
        [&] { main->resize(500, 341); },
        [&] { main->setGeometry(40, 50, 376, 341); },
    };
    for (const auto& move : moves) {
        move();
        settle();
        EXPECT_EQ(drawer->pos(), besideMain());
    }
}

TEST_F(UserPickerTest, TheDrawerGoesWithTheMainWindow)
{
    openDrawer(1);
    delete MainWin::existing();
    settle();
    EXPECT_EQ(UserPicker::existing(), nullptr);
    EXPECT_FALSE(Globals::usersWindowOpen);
}
}  // namespace
