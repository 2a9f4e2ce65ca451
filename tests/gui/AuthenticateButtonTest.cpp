#include "AuthenticateButton.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QString authenticating = QStringLiteral("Authenticating...");
const QString openStatus = QStringLiteral("Click the lock to prevent further changes.");
const QString closedStatus = QStringLiteral("Click the lock to make changes.");

QString frameKey(int frame)
{
    return QStringLiteral("animation_%1").arg(frame, 2, 10, QLatin1Char('0'));
}

// Every key with the file it is read from.
QList<std::pair<QString, QString>> pictureFiles()
{
    QList<std::pair<QString, QString>> files = {
        {"open_standard", "Lock_Unlocked State"},   {"open_rollover", "Lock_Unlocked State_Rollover"},
        {"open_pressed", "Lock_Unlocked State_Pressed"}, {"locked_standard", "Lock_Locked State"},
        {"locked_rollover", "Lock_Locked State_Rollover"}, {"locked_pressed", "Lock_Locked State_Pressed"},
    };
    for (int frame = 1; frame <= 15; ++frame)
        files.append({frameKey(frame), QStringLiteral("Lock_Open Anim %1").arg(frame, 2, 10, QLatin1Char('0'))});
    return files;
}

// A solid colour per key, so a painted pixel tells which picture was drawn.
QColor colourOf(const QString& key)
{
    const auto files = pictureFiles();
    for (int i = 0; i < files.size(); ++i)
        if (files[i].first == key)
            return QColor::fromHsv(i * 17, 255, 255);
    return {};
}

// Records what it paints, in order, beside the owner's events and sounds.
class TracedButton : public AuthenticateButton {
public:
    explicit TracedButton(QStringList& trace) : trace(trace) {}
    QString shown() const { return picstate + QLatin1Char('_') + mousestate; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        trace << shown();
        AuthenticateButton::paintEvent(event);
    }

private:
    QStringList& trace;
};

class AuthenticateButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pictures.isValid());
        for (const auto& [key, file] : pictureFiles()) {
            QImage picture(33, 33, QImage::Format_ARGB32);
            picture.fill(colourOf(key));
            ASSERT_TRUE(picture.save(pictures.filePath(file + ".tif"), "PNG"));
        }
        AuthenticateButton::setPicturesFolder(pictures.path());
        AuthenticateButton::setTickWait([this] {
            ++ticks;
            if (duringTick)
                duringTick();
        });
        button = makeButton();
        button->bind(button.get(), &status);
        button->forceStatus(true);
        button->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(button.get()));
        trace.clear();
    }

    void TearDown() override
    {
        AuthenticateButton::setPicturesFolder({});
        AuthenticateButton::setTickWait(nullptr);
    }

    std::unique_ptr<TracedButton> makeButton()
    {
        auto made = std::make_unique<TracedButton>(trace);
        made->CancelChange = [this](bool opening) {
            trace << QStringLiteral("CancelChange(%1)").arg(opening);
            return cancelAnswer;
        };
        made->Change = [this](bool locked) { trace << QStringLiteral("Change(%1)").arg(locked); };
        for (const QString name : {"lockOpening.aif", "lockClosing.aif"})
            made->sounds.insert(name, [this, name] { trace << name; });
        return made;
    }

    void allowAuthentication(bool answer)
    {
        button->Authenticate = [this, answer] {
            ++authenticateCalls;
            return answer;
        };
    }

    void click(QPoint releasedAt = {16, 16})
    {
        QTest::mousePress(button.get(), Qt::LeftButton, {}, {16, 16});
        QTest::mouseRelease(button.get(), Qt::LeftButton, {}, releasedAt);
    }

    void dragTo(QPoint to)
    {
        QMouseEvent move(QEvent::MouseMove, to, button->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(button.get(), &move);
    }

    bool traced(const QString& entry) const { return trace.contains(entry); }

    QTemporaryDir pictures;
    QStringList trace;
    QLabel status;
    std::unique_ptr<TracedButton> button;
    bool cancelAnswer = false;
    int authenticateCalls = 0;
    int ticks = 0;
    std::function<void()> duringTick;
};

TEST_F(AuthenticateButtonTest, ClickAnimatesEveryFrameThenShowsTheNewStateAndRaisesChange)
{
    struct Case {
        const char* name;
        bool startLocked;
        QList<int> frames;
        QString sound, picture, statusText, change;
    };
    QList<int> rising, falling;
    for (int frame = 1; frame <= 15; ++frame) {
        rising << frame;
        falling.prepend(frame);
    }
    const Case cases[] = {
        {"opening", true, rising, "lockOpening.aif", "open_standard", openStatus, "Change(0)"},
        {"closing", false, falling, "lockClosing.aif", "locked_standard", closedStatus, "Change(1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        button->forceStatus(c.startLocked);
        allowAuthentication(true);
        trace.clear();
        ticks = 0;

        click();

        QStringList expected = {QStringLiteral("CancelChange(%1)").arg(c.startLocked)};
        for (int frame : c.frames)
            expected << frameKey(frame);
        expected << c.sound << c.picture << c.change;
        const QStringList fromCancelChange = trace.mid(trace.indexOf(expected.first()));
        EXPECT_EQ(fromCancelChange, expected);
        EXPECT_EQ(ticks, 15);
        EXPECT_EQ(button->Authenticated, c.startLocked);
        EXPECT_EQ(status.text(), c.statusText);
        EXPECT_FALSE(button->animating);
    }
    EXPECT_EQ(authenticateCalls, 1) << "only opening asks to authenticate";
}

TEST_F(AuthenticateButtonTest, ClosedPadlockStaysClosedWithoutAYesToAuthenticate)
{
    for (bool hasHandler : {true, false}) {
        SCOPED_TRACE(hasHandler ? "handler refuses" : "no handler");
        button->forceStatus(true);
        if (hasHandler)
            allowAuthentication(false);
        else
            button->Authenticate = nullptr;
        trace.clear();

        click();

        EXPECT_FALSE(button->Authenticated);
        EXPECT_EQ(button->shown(), "locked_standard");
        EXPECT_EQ(status.text(), authenticating);
        EXPECT_FALSE(traced("CancelChange(1)"));
        EXPECT_FALSE(traced("Change(0)"));
        EXPECT_FALSE(traced(frameKey(1)));
        EXPECT_EQ(ticks, 0);
    }
}

TEST_F(AuthenticateButtonTest, CancelChangeUndoesTheClickWithoutAnimationSoundOrChange)
{
    // A closed padlock has already asked to authenticate, so its status keeps
    // "Authenticating..."; an open one is left exactly as it was.
    struct Case {
        const char* name;
        bool startLocked;
        QString picture, statusText;
    };
    const Case cases[] = {
        {"open padlock", false, "open_standard", openStatus},
        {"closed padlock", true, "locked_standard", authenticating},
    };
    cancelAnswer = true;
    allowAuthentication(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        button->forceStatus(c.startLocked);
        trace.clear();

        click();

        EXPECT_EQ(button->Authenticated, !c.startLocked);
        EXPECT_TRUE(traced(QStringLiteral("CancelChange(%1)").arg(c.startLocked)));
        EXPECT_EQ(button->shown(), c.picture);
        EXPECT_EQ(status.text(), c.statusText);
        EXPECT_FALSE(traced("Change(0)") || traced("Change(1)"));
        EXPECT_FALSE(traced("lockOpening.aif") || traced("lockClosing.aif"));
        EXPECT_EQ(ticks, 0);
    }
}

TEST_F(AuthenticateButtonTest, OnlyAReleaseInsideTheInnerAreaClicks)
{
    struct Case {
        QPoint releasedAt;
        bool clicks;
    };
    // The left and top border pixels count as outside; x < width and y < height inside.
    const Case cases[] = {
        {{16, 16}, true},  {{1, 1}, true},     {{32, 32}, true},   {{0, 16}, false},
        {{16, 0}, false},  {{33, 16}, false},  {{16, 33}, false},  {{-4, 50}, false},
    };
    allowAuthentication(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("released at %1,%2").arg(c.releasedAt.x()).arg(c.releasedAt.y()).toStdString());
        authenticateCalls = 0;
        click(c.releasedAt);
        EXPECT_EQ(authenticateCalls, c.clicks ? 1 : 0);
        EXPECT_EQ(button->shown(), "locked_standard");
        EXPECT_FALSE(button->mousedown);
    }

    authenticateCalls = 0;
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, {16, 16});
    EXPECT_EQ(authenticateCalls, 0) << "a release without a press is no click";
}

TEST_F(AuthenticateButtonTest, PictureFollowsThePointer)
{
    QTest::mousePress(button.get(), Qt::LeftButton, {}, {16, 16});
    EXPECT_EQ(button->shown(), "locked_pressed");
    dragTo({50, 16});
    EXPECT_EQ(button->shown(), "locked_standard");
    dragTo({16, 16});
    EXPECT_EQ(button->shown(), "locked_pressed");

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button.get(), &leave);
    EXPECT_EQ(button->shown(), "locked_standard");
    QEnterEvent enter(QPointF(16, 16), QPointF(16, 16), button->mapToGlobal(QPointF(16, 16)));
    QCoreApplication::sendEvent(button.get(), &enter);
    EXPECT_EQ(button->shown(), "locked_pressed") << "entering with the mouse still down";

    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, {50, 50});
    QCoreApplication::sendEvent(button.get(), &enter);
    EXPECT_EQ(button->shown(), "locked_rollover");
    QCoreApplication::sendEvent(button.get(), &leave);
    EXPECT_EQ(button->shown(), "locked_standard");
}

TEST_F(AuthenticateButtonTest, MouseIsIgnoredWhileAnimating)
{
    allowAuthentication(true);
    duringTick = [this] {
        if (ticks == 5)
            click();
    };

    click();

    EXPECT_EQ(authenticateCalls, 1);
    EXPECT_EQ(trace.count("Change(0)"), 1);
    const QStringList fromFirstFrame = trace.mid(trace.indexOf(frameKey(1)));
    EXPECT_FALSE(fromFirstFrame.join(',').contains("pressed"));
    EXPECT_TRUE(button->Authenticated);
    EXPECT_EQ(button->shown(), "open_standard");
}

TEST_F(AuthenticateButtonTest, ForceStatusShowsTheStateSilently)
{
    allowAuthentication(true);
    for (bool locked : {false, true, false}) {
        trace.clear();
        button->forceStatus(locked);
        EXPECT_EQ(button->Authenticated, !locked);
        EXPECT_EQ(trace, QStringList{locked ? "locked_standard" : "open_standard"}) << "no event, sound or frame";
        EXPECT_EQ(status.text(), locked ? closedStatus : openStatus);
    }
    EXPECT_EQ(authenticateCalls, 0);
    EXPECT_EQ(ticks, 0);
}

TEST_F(AuthenticateButtonTest, WithoutABoundStatusTextNoMessageIsShown)
{
    QLabel elsewhere(QStringLiteral("untouched"));
    button = makeButton();
    button->bind(&elsewhere, &elsewhere);  // only the button itself can bind a status text
    button->show();
    allowAuthentication(true);

    click();
    EXPECT_TRUE(button->Authenticated);
    click();
    EXPECT_FALSE(button->Authenticated);

    EXPECT_EQ(button->statusfield, nullptr);
    EXPECT_EQ(elsewhere.text(), "untouched");
}

TEST_F(AuthenticateButtonTest, PaintsTheKeyedPictureOverTheWholeControl)
{
    button->resize(66, 66);
    for (bool locked : {true, false}) {
        button->forceStatus(locked);
        const QColor painted = button->grab().toImage().pixelColor(60, 60);
        EXPECT_EQ(painted.rgb(), colourOf(button->shown()).rgb());
        EXPECT_TRUE(button->shown().startsWith(locked ? "locked_" : "open_"));
    }
}

TEST_F(AuthenticateButtonTest, MissingPicturesOnlyBeep)
{
    QTemporaryDir empty;
    AuthenticateButton::setPicturesFolder(empty.path());
    button = makeButton();
    button->show();
    EXPECT_TRUE(button->pix.isEmpty());

    button->repaint();
    button->grab();
    allowAuthentication(true);
    click();

    EXPECT_TRUE(button->Authenticated) << "the control still works without its pictures";
}

TEST_F(AuthenticateButtonTest, ShippedPicturesAreAllThereWithTransparency)
{
    const QString shipped = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../settings_app/Resources";
    AuthenticateButton::setPicturesFolder(QDir::cleanPath(shipped));
    AuthenticateButton shippedButton;

    for (const auto& [key, file] : pictureFiles()) {
        SCOPED_TRACE(key.toStdString());
        const QImage picture = shippedButton.pix.value(key);
        ASSERT_EQ(picture.size(), QSize(33, 33));
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(picture.pixel(16, 24)), 255);
    }
    EXPECT_NE(shippedButton.pix.value("open_standard"), shippedButton.pix.value("locked_standard"));
}
}  // namespace
