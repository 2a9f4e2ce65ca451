#include "AboutWin.h"
#include "AppPictures.h"
#include "ConfirmWin.h"
#include "ModalButton.h"
#include "VersionStatic.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {
void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Answers the modal dialog that is about to run, as soon as it is up. An
// answer that leaves it open fails, and the dialog is hidden so the test ends.
void whenModalOpens(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QPointer<QWidget> dialog = QApplication::activeModalWidget();
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog open";
            ConfirmWin::instance()->hide();
            return;
        }
        answer(dialog);
        if (dialog && dialog->isVisible()) {
            ADD_FAILURE() << "the answer left the dialog open";
            dialog->hide();
        }
    });
}

void clickButton(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text)
            return QTest::mouseClick(button, Qt::LeftButton);
    ADD_FAILURE() << "no button " << text.toStdString();
}

TEST(ConfirmWinTest, AskReturnsTheAnswerOfTheKeyOrButton)
{
    struct Case {
        const char* name;
        std::function<void(QWidget*)> answer;
        int choice;
    };
    // The close box comes after "Save" so a stale answer would show.
    const Case cases[] = {
        {"Return", [](QWidget* d) { QTest::keyClick(d, Qt::Key_Return); }, ConfirmWin::Save},
        {"Escape", [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); }, ConfirmWin::Cancel},
        {"Don't Save", [](QWidget* d) { clickButton(d, "Don't Save"); }, ConfirmWin::DontSave},
        {"Save", [](QWidget* d) { clickButton(d, "Save"); }, ConfirmWin::Save},
        {"close box", [](QWidget* d) { d->close(); }, ConfirmWin::Cancel},
        {"Cancel", [](QWidget* d) { clickButton(d, "Cancel"); }, ConfirmWin::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString title;
        whenModalOpens([&](QWidget* dialog) {
            title = dialog->windowTitle();
            c.answer(dialog);
        });
        EXPECT_EQ(ConfirmWin::Ask(), c.choice);
        EXPECT_EQ(title, "Save Changes...");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        deleteClosedWindows();
    }
}

TEST(ModalButtonTest, HidesItsWindowBeforeTheActionAndClosesItAfter)
{
    QPointer<QDialog> dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* button = new ModalButton(QStringLiteral("OK"), dialog);
    bool hiddenDuringAction = false;
    QObject::connect(button, &ModalButton::Action, [&] { hiddenDuringAction = dialog->isHidden(); });
    dialog->show();

    button->click();
    deleteClosedWindows();

    EXPECT_TRUE(hiddenDuringAction);
    EXPECT_TRUE(dialog.isNull()) << "the window was closed";
}

class AboutWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        about = AboutWin::instance();
        about->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    }
    void TearDown() override
    {
        if (about)
            about->close();
        deleteClosedWindows();
    }

    QList<int> creditTops() const
    {
        QList<int> tops;
        for (QWidget* text : about->Credits->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            tops << text->y();
        return tops;
    }

    QPointer<AboutWin> about;
};

TEST_F(AboutWinTest, CreditsRestThenCreep351PixelsAndJumpBack)
{
    EXPECT_EQ(about->scrollTimer->interval(), 5000);
    EXPECT_TRUE(about->scrollTimer->isActive());
    const QList<int> resting = creditTops();
    ASSERT_EQ(resting.size(), 6);

    for (int step = 1; step <= 351; ++step) {
        about->scrollTimer_Action();
        ASSERT_EQ(about->scrolledPixels, step);
        ASSERT_EQ(about->scrollTimer->interval(), 30);
        ASSERT_EQ(creditTops().first(), resting.first() - step);
    }
    about->scrollTimer_Action();
    EXPECT_EQ(about->scrolledPixels, 0);
    EXPECT_EQ(about->scrollTimer->interval(), 5000);
    EXPECT_EQ(creditTops(), resting);

    about->scrollTimer_Action();
    EXPECT_EQ(about->scrolledPixels, 1) << "the next rest ends in another creep";
    EXPECT_EQ(about->scrollTimer->interval(), 30);
}

TEST_F(AboutWinTest, OpensCentredWithTheMaskedIconAndVersion)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(about->pos(), QPoint(screen.width() / 2 - 235 / 2, screen.height() / 2 - 231 / 2));
    EXPECT_EQ(AboutWin::instance(), about.data());

    const QImage icon = about->Canvas1->pixmap().toImage();
    ASSERT_EQ(icon.size(), QSize(64, 64));
    EXPECT_EQ(qAlpha(icon.pixel(1, 1)), 0) << "masked out";
    EXPECT_EQ(qAlpha(icon.pixel(32, 32)), 255);
    EXPECT_EQ(about->ActionCaption->text(), VersionStatic::versionText(QCoreApplication::applicationVersion()));
}

TEST_F(AboutWinTest, ClickOnTheWindowItselfClosesIt)
{
    QTest::mouseClick(about->Canvas1, Qt::LeftButton, {}, {32, 32});
    QTest::mouseClick(about->Credits->findChild<QLabel*>(), Qt::LeftButton, {}, {5, 5});
    deleteClosedWindows();
    ASSERT_FALSE(about.isNull()) << "clicks on controls leave it open";

    QTest::mouseClick(about, Qt::LeftButton, {}, {5, 5});
    deleteClosedWindows();
    EXPECT_TRUE(about.isNull());
}

TEST(VersionStaticTest, ShowsMajorAndMinorOfTheVersionRecord)
{
    const std::pair<QString, QString> cases[] = {
        {"", "Version 1.0"}, {"2.7.1", "Version 2.7"}, {"3", "Version 3.0"}, {"10.12.4", "Version 10.12"},
    };
    for (const auto& [record, text] : cases)
        EXPECT_EQ(VersionStatic::versionText(record), text) << record.toStdString();

    const QString before = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("4.2.0"));
    EXPECT_EQ(VersionStatic().text(), "Version 4.2");
    QCoreApplication::setApplicationVersion(before);
}

TEST(AppPicturesTest, PictureResourcesAreReadOnceAndKept)
{
    EXPECT_EQ(AppPictures::UsersPref().size(), QSize(48, 48));
    EXPECT_EQ(AppPictures::icon().size(), QSize(128, 128));
    EXPECT_EQ(AppPictures::mask().size(), QSize(128, 128));
    EXPECT_EQ(AppPictures::icon().cacheKey(), AppPictures::icon().cacheKey());
}
}  // namespace
