#include "AppMachineFixture.h"
#include "EnablerWindow.h"
#include "Globals.h"
#include "MainWin.h"
#include "SettingsApp.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
const QString kReady = QStringLiteral(
    "The Nightfold Agent is ready to enforce your rules for all users, even after you quit the Nightfold Application.");
const QString kNotEnabled =
    QStringLiteral("The Nightfold Agent is not enabled. Click the button below to install it and begin using Nightfold.");
const QString kDisabled = QStringLiteral(
    "Nightfold is now disabled. You can uninstall completely by throwing the Nightfold application in the trash.");
const QString kOutdated = QStringLiteral(
    "The Nightfold Agent is outdated and needs to be upgraded. Click the button to install the new agent.");

class EnablerWindowTest : public AppMachineFixture {
protected:
    void SetUp() override
    {
        AppMachineFixture::SetUp();
        app = std::make_unique<SettingsApp>();
    }
    void TearDown() override
    {
        AppMachineFixture::TearDown();
        app.reset();
    }

    // The window as it opens (its status shown, the button enabled).
    EnablerWindow* open()
    {
        EnablerWindow* window = EnablerWindow::instance();
        window->show();
        return window;
    }

    std::unique_ptr<SettingsApp> app;
};

TEST_F(EnablerWindowTest, OpensCentredWithItsLayout)
{
    EnablerWindow* window = open();
    EXPECT_EQ(window->windowTitle(), "Nightfold Status");
    EXPECT_EQ(window->centralWidget()->size(), QSize(297, 134));
    EXPECT_EQ(window->StaticText1->geometry(), QRect(17, 14, 262, 55));
    EXPECT_EQ(window->ToggleButton->geometry(), QRect(61, 87, 181, 20));
    EXPECT_TRUE(window->Timer1->isSingleShot());
    EXPECT_EQ(window->Timer1->interval(), 3000);
    EXPECT_FALSE(window->Timer1->isActive());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->pos(), QPoint(screen.width() / 2 - window->width() / 2, screen.height() / 2 - window->height() / 2));
    EXPECT_EQ(EnablerWindow::instance(), window);
}

TEST_F(EnablerWindowTest, ShowsTheAgentsStatus)
{
    struct Case {
        const char* name;
        Agent agent;
        bool opening;
        QString caption;
        QString text;
    };
    const Case cases[] = {
        {"missing, opening", Agent::Missing, true, "Turn On Nightfold", kNotEnabled},
        {"missing, after turning off", Agent::Missing, false, "Turn On Nightfold", kDisabled},
        {"outdated, opening", Agent::Outdated, true, "Turn On Nightfold", kOutdated},
        {"outdated, after turning on", Agent::Outdated, false, "Turn On Nightfold", kOutdated},
        {"current, opening", Agent::Current, true, "Turn Off Nightfold", kReady},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(SystemPaths::resolve(SystemPaths::installedFolder)).removeRecursively();
        prepareAgent(c.agent);
        EnablerWindow* window = open();
        window->ToggleButton->setEnabled(false);
        window->showCurrentStatus(c.opening);
        EXPECT_EQ(window->ToggleButton->text(), c.caption);
        EXPECT_EQ(window->StaticText1->text(), c.text);
        EXPECT_TRUE(window->ToggleButton->isEnabled());
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(EnablerWindowTest, TurningOnInstallsThenOpensTheSettingsInPlaceOfItself)
{
    QPointer<EnablerWindow> window = open();
    QTest::mouseClick(window->ToggleButton, Qt::LeftButton);

    EXPECT_EQ(machine.promptCount(), 1);
    EXPECT_TRUE(Methods::isAgentInstalled());
    EXPECT_EQ(agentRuns, 1);
    EXPECT_FALSE(window->ToggleButton->isEnabled());
    EXPECT_EQ(window->StaticText1->text(), "Installing Nightfold and turning on...");
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_FALSE(Globals::agentInstalled);

    window->Timer1->stop();
    window->Timer1_Action();
    EXPECT_TRUE(Globals::agentInstalled);
    EXPECT_FALSE(window->isVisible());
    ASSERT_NE(MainWin::existing(), nullptr);
    EXPECT_TRUE(MainWin::existing()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(EnablerWindowTest, TurningOffRemovesTheAgentAndClosesTheMainWindow)
{
    prepareAgent(Agent::Current);
    Globals::agentInstalled = true;
    MainWin::instance()->showAndRaise();
    Globals::mainWindowOpen = true;
    EnablerWindow* window = open();
    EXPECT_EQ(window->ToggleButton->text(), "Turn Off Nightfold");

    QTest::mouseClick(window->ToggleButton, Qt::LeftButton);
    EXPECT_EQ(window->StaticText1->text(), "Turning off Nightfold and uninstalling...");
    EXPECT_FALSE(Methods::isAgentInstalled());

    window->Timer1_Action();
    EXPECT_FALSE(Globals::agentInstalled);
    EXPECT_EQ(window->StaticText1->text(), kDisabled);
    EXPECT_EQ(window->ToggleButton->text(), "Turn On Nightfold");
    EXPECT_TRUE(window->ToggleButton->isEnabled());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(MainWin::existing() && MainWin::existing()->isVisible());
}

TEST_F(EnablerWindowTest, ACancelledPasswordRequestChangesNothing)
{
    machine.setPromptAnswer(PromptAnswer::Cancel);
    EnablerWindow* window = open();
    const QString before = window->StaticText1->text();

    QTest::mouseClick(window->ToggleButton, Qt::LeftButton);

    EXPECT_EQ(machine.promptCount(), 1);
    EXPECT_TRUE(machine.privilegedRuns().isEmpty());
    EXPECT_TRUE(window->ToggleButton->isEnabled());
    EXPECT_EQ(window->StaticText1->text(), before);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(Methods::isAgentInstalled());
}

TEST_F(EnablerWindowTest, WithoutTheShippedFolderTheWindowReportsTheAgentDisabled)
{
    QDir(applicationFolder + "/NightfoldStartup").removeRecursively();
    EnablerWindow* window = open();
    QTest::mouseClick(window->ToggleButton, Qt::LeftButton);
    window->Timer1_Action();
    EXPECT_EQ(window->StaticText1->text(), kDisabled);
    EXPECT_EQ(window->ToggleButton->text(), "Turn On Nightfold");
    EXPECT_TRUE(window->ToggleButton->isEnabled());
}
}  // namespace
