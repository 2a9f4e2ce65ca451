#include "PrefsWin.h"

#include "SystemFonts.h"

#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "MenuBar1.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SettingsMethods.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPointer>

namespace {
// The open window; a closed one is gone even before it is deleted.
QPointer<PrefsWin> g_instance;

QCheckBox* checkBox(const QString& text, QWidget* parent, const QRect& place)
{
    auto* box = new QCheckBox(text, parent);
    box->setGeometry(place);
    return box;
}

QLabel* explanation(const QString& text, QWidget* parent, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setFont(SystemFonts::smallSystem());
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}
}  // namespace

PrefsWin* PrefsWin::instance()
{
    if (!g_instance)
        g_instance = new PrefsWin();
    return g_instance;
}

PrefsWin* PrefsWin::existing() { return g_instance; }

PrefsWin::PrefsWin()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Preferences"));
    CreateControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    handled("PrefsWin.Open", [this] {
        QMenuBar* bar = MenuBar1::build(this);
        if (bar && menuWidget() != bar)
            setMenuBar(bar);
    });
}

void PrefsWin::CreateControls()
{
    auto* content = new QWidget(this);
    content->setFixedSize(377, 333);
    setCentralWidget(content);

    WeekendBox = checkBox(QStringLiteral("Real-Life Weekend Rules"), content, {40, 37, 193, 23});
    StaticText1 = explanation(
        QStringLiteral("Applies the weekend nightfold to Friday night, and the weekday nightfold to Sunday night"), content,
        {61, 64, 267, 32});
    SwitchBox = checkBox(QStringLiteral("Use Fast User Switching"), content, {40, 108, 193, 20});
    switchStatic = explanation(QStringLiteral("Leaves the user's documents open and switches to the log-in window. Uncheck "
                                              "if you want to force all the user's documents to close and log the user out."),
                               content, {61, 134, 285, 45});
    warnBox = checkBox(QStringLiteral("Show Warning 15 Minutes Before Nightfold"), content, {40, 191, 306, 20});
    countBox = checkBox(QStringLiteral("Show Countdown For Final 2 Minutes"), content, {40, 230, 306, 20});
    StaticText4 = new QLabel(QStringLiteral("After logging out user:"), content);
    StaticText4->setGeometry(40, 272, 154, 20);
    AfterMenu = new QComboBox(content);
    AfterMenu->addItems({QStringLiteral("Leave Mac on"), QStringLiteral("Sleep"), QStringLiteral("Shut down")});
    AfterMenu->setGeometry(201, 272, 145, 20);
}

void PrefsWin::setVisible(bool visible)
{
    if (visible && !m_opened) {
        m_opened = true;
        Open();
        if (m_closed)
            return;  // refused: the window never shows
    }
    QMainWindow::setVisible(visible);
}

void PrefsWin::Open()
{
    handled("PrefsWin.Open", [this] {
        if (Globals::savedAuthorization == 0 && !Methods::Authorize()) {
            close();
            return;
        }
        // The agent reads these two as "...OnLogOut"; the store ignores case.
        if (EasyPrefs::GetPrefBoolean(QStringLiteral("sleepOnLogout"), true))
            AfterMenu->setCurrentIndex(Sleep);
        else if (EasyPrefs::GetPrefBoolean(QStringLiteral("shutdownOnLogout"), true))
            AfterMenu->setCurrentIndex(ShutDown);
        else
            AfterMenu->setCurrentIndex(LeaveMacOn);
        warnBox->setChecked(EasyPrefs::GetPrefBoolean(QStringLiteral("showWarning"), true));
        countBox->setChecked(EasyPrefs::GetPrefBoolean(QStringLiteral("displayCountdown"), true));
        WeekendBox->setChecked(EasyPrefs::GetPrefBoolean(QStringLiteral("realWeekends"), true));
        if (Methods::canSwitchOut()) {
            SwitchBox->setChecked(EasyPrefs::GetPrefBoolean(QStringLiteral("useSwitching"), true));
        } else {
            SwitchBox->setChecked(false);
            SwitchBox->setEnabled(false);
            switchStatic->setEnabled(false);
        }
        m_filled = true;
    });
}

void PrefsWin::Close()
{
    handled("PrefsWin.Close", [this] {
        // Rights given up meanwhile (the main window was locked): drop the changes.
        // Controls that Open did not fill stand for nothing: saving them would
        // overwrite the preferences and every schedule's action with guesses.
        if (Globals::savedAuthorization == 0 || !m_filled)
            return;
        EasyPrefs::SetPrefBoolean(QStringLiteral("sleepOnLogOut"), AfterMenu->currentIndex() == Sleep);
        EasyPrefs::SetPrefBoolean(QStringLiteral("shutdownOnLogOut"), AfterMenu->currentIndex() == ShutDown);
        EasyPrefs::SetPrefBoolean(QStringLiteral("showWarning"), warnBox->isChecked());
        EasyPrefs::SetPrefBoolean(QStringLiteral("displayCountdown"), countBox->isChecked());
        EasyPrefs::SetPrefBoolean(QStringLiteral("realWeekends"), WeekendBox->isChecked());
        EasyPrefs::SetPrefBoolean(QStringLiteral("useSwitching"), SwitchBox->isChecked());

        const QString action = SwitchBox->isChecked() ? QStringLiteral("Switch Out") : QStringLiteral("Log Out");
        for (int i = 1; i <= Globals::userCount(); ++i) {
            const auto& user = Globals::Users[i];
            for (const auto& schedule : {user->Today, user->Weekdays, user->Weekends})
                if (schedule)
                    schedule->Action = action;
        }
        Methods::SavePrefs();
    });
}

void PrefsWin::closeEvent(QCloseEvent* event)
{
    if (m_closed)
        return QMainWindow::closeEvent(event);
    m_closed = true;
    Close();
    if (g_instance == this)
        g_instance = nullptr;
    QMainWindow::closeEvent(event);
}
