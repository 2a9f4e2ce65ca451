#include "EnablerWindow.h"

#include "AuthenticateButton.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "MainWin.h"
#include "MenuBar1.h"
#include "SettingsMethods.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>

namespace {
QPointer<EnablerWindow> g_instance;

const QString kReadyText = QStringLiteral(
    "The Nightfold Agent is ready to enforce your rules for all users, even after you quit the Nightfold Application.");
const QString kNotEnabledText =
    QStringLiteral("The Nightfold Agent is not enabled. Click the button below to install it and begin using Nightfold.");
const QString kDisabledText = QStringLiteral(
    "Nightfold is now disabled. You can uninstall completely by throwing the Nightfold application in the trash.");
const QString kOutdatedText = QStringLiteral(
    "The Nightfold Agent is outdated and needs to be upgraded. Click the button to install the new agent.");
const QString kTurnOn = QStringLiteral("Turn On Nightfold");
const QString kTurnOff = QStringLiteral("Turn Off Nightfold");
}  // namespace

EnablerWindow* EnablerWindow::instance()
{
    if (!g_instance)
        g_instance = new EnablerWindow();
    return g_instance;
}

EnablerWindow* EnablerWindow::existing() { return g_instance; }

EnablerWindow::EnablerWindow()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Nightfold Status"));
    auto* content = new QWidget(this);
    content->setFixedSize(kWidth, kHeight);
    setCentralWidget(content);

    StaticText1 = new QLabel(kReadyText, content);
    StaticText1->setGeometry(17, 14, 262, 55);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ToggleButton = new QPushButton(kTurnOff, content);
    ToggleButton->setGeometry(61, 87, 181, 20);
    connect(ToggleButton, &QPushButton::clicked, this, &EnablerWindow::ToggleButton_Action);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &EnablerWindow::Timer1_Action);

    MenuBar1::build(this);
}

void EnablerWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!std::exchange(m_opened, true))
        Open();
}

void EnablerWindow::Open()
{
    handled("enabler.open", [this] {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2);
        }
        showCurrentStatus(true);
    });
}

void EnablerWindow::ToggleButton_Action() { turnOnOrOff(!Methods::isAgentInstalled() || Methods::agentNeedsUpdating()); }

void EnablerWindow::turnOnOrOff(bool on)
{
    handled("enabler.turnOnOrOff", [this, on] {
        if (Globals::savedAuthorization == 0 && !Methods::Authorize())
            return;
        ToggleButton->setEnabled(false);
        // The progress text shows before the work, which runs to its end here.
        StaticText1->setText(on ? QStringLiteral("Installing Nightfold and turning on...")
                                : QStringLiteral("Turning off Nightfold and uninstalling..."));
        StaticText1->repaint();
        if (on)
            Methods::installAgent();
        else
            Methods::removeAgent();
        Timer1->start();
    });
}

void EnablerWindow::Timer1_Action()
{
    showCurrentStatus(false);
    Globals::agentInstalled = Methods::isAgentInstalled() && !Methods::agentNeedsUpdating();
    if (QMenuBar* bar = menuBar())
        MenuBar1::update(bar);
}

void EnablerWindow::showCurrentStatus(bool opening)
{
    handled("enabler.showCurrentStatus", [this, opening] {
        if (!Methods::isAgentInstalled()) {
            ToggleButton->setText(kTurnOn);
            StaticText1->setText(opening ? kNotEnabledText : kDisabledText);
            if (Globals::mainWindowOpen) {
                if (MainWin* mainWindow = MainWin::existing())
                    mainWindow->close();
            }
        } else if (Methods::agentNeedsUpdating()) {
            ToggleButton->setText(kTurnOn);
            StaticText1->setText(kOutdatedText);
        } else {
            ToggleButton->setText(kTurnOff);
            StaticText1->setText(kReadyText);
            if (!opening) {
                // Just turned on: straight to the settings, the lock open
                // under the authorization that did the installing.
                MainWin* mainWindow = MainWin::instance();
                mainWindow->showAndRaise();
                for (AuthenticateButton* lock : {mainWindow->AuthenticateButton1, mainWindow->AuthenticateButton2}) {
                    if (lock)
                        lock->forceStatus(false);
                }
                if (mainWindow->SettingsPanel)
                    mainWindow->SettingsPanel->setCurrentIndex(0);
                close();
                return;
            }
        }
        StaticText1->repaint();
        ToggleButton->setEnabled(true);
    });
}
