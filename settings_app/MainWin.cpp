#include "MainWin.h"

#include "AppPictures.h"
#include "AuthenticateButton.h"
#include "CarbonDeclares.h"
#include "Clock.h"
#include "ConfirmWin.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "MenuBar1.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "PopupArrow.h"
#include "Schedule.h"
#include "SettingsMethods.h"
#include "TextCompare.h"
#include "TimeField.h"
#include "UserPicker.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <algorithm>

namespace {
QPointer<MainWin> g_instance;
int g_resizeDuration = 150;

const QString adminText = QStringLiteral("Admin user: No restrictions");
const QString showUsersName = QStringLiteral("UserShowUsers");
const QString clearTodayName = QStringLiteral("UserClearTodaySchedule");

// Where the page panel sits in the window; control places are window coordinates.
const QPoint panelOrigin(6, 5);

// Control handlers have no handler of their own: what escapes them is the
// last-resort handler's, and never crosses the platform's event code.
template <typename Body>
void untrapped(Body&& body)
{
    try {
        body();
    } catch (...) {
        ErrorAndLoggingGlobals::lastResort(std::current_exception());
    }
}

template <typename Result, typename Body>
Result untrappedOr(Result empty, Body&& body)
{
    try {
        return body();
    } catch (...) {
        ErrorAndLoggingGlobals::lastResort(std::current_exception());
    }
    return empty;
}

void place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(left - panelOrigin.x(), top - panelOrigin.y(), width, height);
}

QFont smallSystemFont(bool bold)
{
    QFont font = QApplication::font();
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

QLabel* text(QWidget* page, const QString& content, bool bold = false)
{
    auto* label = new QLabel(content, page);
    label->setFont(smallSystemFont(bold));
    return label;
}

QLabel* pictureArea(QWidget* page)
{
    auto* area = new QLabel(page);
    area->setScaledContents(true);
    area->setPixmap(QPixmap::fromImage(AppPictures::UsersPref()));
    return area;
}

int sliderPosition(double maxUsage)
{
    // Zero, negative or not a number: no limit. Truncated toward zero, kept on the slider.
    if (!(maxUsage > 0))
        return MainWin::unlimitedSliderPosition;
    const double position = std::clamp(maxUsage * 2, double(MainWin::lowestSliderPosition), double(MainWin::unlimitedSliderPosition));
    return static_cast<int>(position);
}

// The system is asked whether it can switch users only when no choice is stored.
bool useSwitching()
{
    const QString name = QStringLiteral("useSwitching");
    const auto& names = EasyPrefs::prefNames;
    const bool stored = std::any_of(names.begin() + 1, names.end(), [&](const QString& n) { return TextCompare::same(n, name); });
    return EasyPrefs::GetPrefBoolean(name, stored ? false : Methods::canSwitchOut());
}

LocalDateTime todayAt(const LocalDateTime& now, const TimeField* field)
{
    return LocalDateTime::fromParts(now.year(), now.month(), now.day(), field->hour(), field->minute(), now.second());
}

// The time of day that lies the given seconds after midnight, as "00:00:00".
QString clockText(qint64 seconds)
{
    const auto twoDigits = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return twoDigits(seconds / 3600 % 24) + QLatin1Char(':') + twoDigits(seconds / 60 % 60) + QLatin1Char(':') + twoDigits(seconds % 60);
}
}  // namespace

MainWin* MainWin::instance()
{
    if (!g_instance)
        g_instance = new MainWin();
    return g_instance;
}

MainWin* MainWin::existing() { return g_instance; }

void MainWin::setResizeDuration(int milliseconds) { g_resizeDuration = milliseconds; }

MainWin::MainWin()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Nightfold[*]"));
    auto* content = new QWidget(this);
    setCentralWidget(content);
    SettingsPanel = new QStackedWidget(content);
    SettingsPanel->setGeometry(QRect(panelOrigin, QSize(364, 331)));
    auto* settingsPage = new QWidget;
    auto* statusPage = new QWidget;
    SettingsPanel->addWidget(settingsPage);
    SettingsPanel->addWidget(statusPage);
    buildSettingsPage(settingsPage);
    buildStatusPage(statusPage);
    CaptionTimer = new QTimer(this);
    CaptionTimer->setInterval(1000);
    connectControls();
    buildMenuBar();
    resize(376, settingsPageHeight + (menuWidget() ? menuWidget()->sizeHint().height() : 0));
    CaptionTimer->start();
    Open();
}

void MainWin::buildSettingsPage(QWidget* page)
{
    SecondCanvas = pictureArea(page);
    place(SecondCanvas, 12, 12, 32, 32);
    SettingsStatic = text(page, QStringLiteral("Settings for User..."), true);
    place(SettingsStatic, 53, 10, 157, 20);
    RestrictionsStatic = text(page, adminText);
    place(RestrictionsStatic, 53, 26, 270, 20);

    const QString chooserTexts[] = {QStringLiteral("Today"), QStringLiteral("Weekdays"), QStringLiteral("Weekends")};
    for (int i = 0; i < 3; ++i) {
        scheduleChooser[i] = new QPushButton(chooserTexts[i], page);
        scheduleChooser[i]->setCheckable(true);
        // Clicks leave the keyboard focus where it was, so the arrow keys still choose users.
        scheduleChooser[i]->setFocusPolicy(Qt::TabFocus);
        place(scheduleChooser[i], 43 + 99 * i, 71, 100, 26);
    }

    const QString loginTexts[] = {QStringLiteral("Don't allow user to log in"), QStringLiteral("Allow user to log in any time"),
                                  QStringLiteral("Allow user to log in between:")};
    for (int i = 0; i < 3; ++i) {
        login[i] = new QRadioButton(loginTexts[i], page);
        login[i]->setFocusPolicy(Qt::TabFocus);
        place(login[i], 70, 126 + 32 * i, 244, 20);
    }
    login[1]->setChecked(true);

    UptimeField = new TimeField(page);
    place(UptimeField, 94, 222, 90, 23);
    UptimeField->setHourMinute(6, UptimeField->minute());  // the field's Open
    TimeConnector = text(page, QStringLiteral("and"));
    place(TimeConnector, 197, 222, 30, 20);
    NightfoldField = new TimeField(page);
    place(NightfoldField, 232, 222, 90, 23);

    sliderfeedback = text(page, QStringLiteral("Daily limit: 3 hours"));
    sliderfeedback->setAlignment(Qt::AlignCenter);
    place(sliderfeedback, 39, 267, 298, 20);
    LimitSlider = new QSlider(Qt::Horizontal, page);
    LimitSlider->setRange(lowestSliderPosition, unlimitedSliderPosition);
    LimitSlider->setSingleStep(1);
    LimitSlider->setPageStep(20);
    LimitSlider->setValue(3);
    LimitSlider->setFocusPolicy(Qt::TabFocus);
    place(LimitSlider, 66, 293, 244, 16);

    activityStatic = text(page, QStringLiteral("This user has not logged in today."));
    activityStatic->setAlignment(Qt::AlignCenter);
    place(activityStatic, 20, 312, 344, 20);

    AuthenticateButton2 = new AuthenticateButton(page);
    place(AuthenticateButton2, 331, 12, 33, 33);
}

void MainWin::buildStatusPage(QWidget* page)
{
    UserCanvas = pictureArea(page);
    place(UserCanvas, 12, 12, 32, 32);
    UserCaption = text(page, QStringLiteral("User Name"), true);
    place(UserCaption, 53, 10, 76, 20);
    UserArrow = new PopupArrow(page);
    place(UserArrow, 127, 17, 10, 10);
    ActionCaption = text(page, QStringLiteral("Action in 00:00:00"));
    place(ActionCaption, 53, 26, 270, 19);
    AuthenticateButton1 = new AuthenticateButton(page);
    place(AuthenticateButton1, 331, 12, 33, 33);
}

void MainWin::connectControls()
{
    connect(SettingsPanel, &QStackedWidget::currentChanged, this, [this] { untrapped([&] { SettingsPanel_Change(); }); });
    for (int i = 0; i < 3; ++i) {
        connect(scheduleChooser[i], &QPushButton::clicked, this, [this, i] { untrapped([&] { SwitchSchedule(i); }); });
        connect(login[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                untrapped([&] { login_Action(i); });
        });
    }
    connect(UptimeField, &TimeField::ValueChanged, this, [this] { makeDirty(true); });
    connect(NightfoldField, &TimeField::ValueChanged, this, [this] { makeDirty(true); });
    connect(LimitSlider, &QSlider::valueChanged, this, [this] { untrapped([&] { LimitSlider_ValueChanged(); }); });
    connect(CaptionTimer, &QTimer::timeout, this, &MainWin::CaptionTimer_Action);
    connect(UserArrow, &PopupArrow::MouseDown, this,
            [this](int x, int y) { untrappedOr(false, [&] { return UserArrow_MouseDown(x, y); }); });

    const std::pair<AuthenticateButton*, AuthenticateButton*> pairs[] = {{AuthenticateButton1, AuthenticateButton2},
                                                                          {AuthenticateButton2, AuthenticateButton1}};
    for (const auto& [button, other] : pairs) {
        button->Authenticate = [this] { return untrappedOr(false, [&] { return AuthenticateButton_Authenticate(); }); };
        button->CancelChange = [this](bool) { return untrappedOr(false, [&] { return AuthenticateButton_CancelChange(); }); };
        button->Change = [this, other](bool locked) { untrapped([&] { AuthenticateButton_Change(other, locked); }); };
    }
}

// Without a menu bar (it could not be built) the window still works.
void MainWin::buildMenuBar()
{
    handled("MainWin.Open", [&] {
        QMenuBar* bar = MenuBar1::build(this);
        if (!bar)
            return;
        setMenuBar(bar);
        m_bar = bar;
        if (QAction* item = MenuBar1::item(bar, showUsersName))
            connect(item, &QAction::triggered, this, [this] { UserShowUsers_Action(); });
        if (QAction* item = MenuBar1::item(bar, clearTodayName))
            connect(item, &QAction::triggered, this, [this] { UserClearTodaySchedule_Action(); });
    });
}

void MainWin::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

void MainWin::Open()
{
    handled("MainWin.Open", [&] {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().width() / 2 - width() / 2, screen->geometry().height() / 2 - height() / 2);
        currentUser = Methods::getCurrentUser();
        DisplayUser();
        Globals::mainWindowOpen = true;
        SettingsPanel->setCurrentIndex(1);
    });
}

void MainWin::Close()
{
    handled("MainWin.Close", [] { Globals::mainWindowOpen = false; });
}

void MainWin::closeEvent(QCloseEvent* event)
{
    if (CancelClose(false)) {
        event->ignore();
        return;
    }
    CaptionTimer->stop();
    Close();
    QMainWindow::closeEvent(event);
}

void MainWin::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        Minimize();
    QMainWindow::changeEvent(event);
}

void MainWin::keyPressEvent(QKeyEvent* event)
{
    static const QHash<int, QChar> arrows = {
        {Qt::Key_Left, QChar(28)}, {Qt::Key_Right, QChar(29)}, {Qt::Key_Up, QChar(30)}, {Qt::Key_Down, QChar(31)}};
    const auto arrow = arrows.constFind(event->key());
    if (arrow != arrows.constEnd() && KeyDown(*arrow))
        return event->accept();
    QMainWindow::keyPressEvent(event);
}

NightfoldUser& MainWin::requireUser() const
{
    if (!currentUser)
        throw RuntimeError(RuntimeError::Kind::NilObject, QStringLiteral("no current user"));
    return *currentUser;
}

// ---- Showing a user and a schedule ----

void MainWin::DisplayUser()
{
    handled("MainWin.DisplayUser", [&] {
        // Before anything renews the user's day schedule, which the editor may hold.
        carryEditsIntoSchedule();
        NightfoldUser& user = requireUser();
        SettingsStatic->setText(user.RealName);
        const QPixmap picture = QPixmap::fromImage(user.ScaledPicture());
        UserCanvas->setPixmap(picture);
        SecondCanvas->setPixmap(picture);
        UpdateCaptions();
        RestrictionsStatic->setText(user.isAdmin ? adminText : user.Restrictions());
        RestrictionsStatic->setEnabled(!user.isAdmin);
        activityStatic->setText(user.Activity());
        if (user.Today->Modified)
            SwitchSchedule(0);
        else
            SwitchSchedule(Methods::isWeekend() ? 2 : 1);
        for (QPushButton* toggle : scheduleChooser)
            toggle->setEnabled(!user.isAdmin);
        EnableMenuItems(m_bar);
    });
}

void MainWin::carryEditsIntoSchedule()
{
    if (currentSchedule && scheduleChanged) {
        SaveChanges(false);
        scheduleChanged = false;
    }
}

void MainWin::SwitchSchedule(int index)
{
    handled("MainWin.SwitchSchedule", [&] {
        carryEditsIntoSchedule();
        for (int i = 0; i < 3; ++i)
            scheduleChooser[i]->setChecked(i == index);
        NightfoldUser& user = requireUser();
        if (index == 0) {
            user.GetSchedule();
            currentSchedule = user.Today;
        } else {
            currentSchedule = index == 1 ? user.Weekdays : user.Weekends;
        }
        m_scheduleOwner = currentUser;
        LoadSchedule();
    });
}

void MainWin::LoadSchedule()
{
    handled("MainWin.LoadSchedule", [&] {
        const NightfoldUser& user = requireUser();
        SettingsStatic->setText(user.RealName);
        SettingsPanel->hide();
        const bool wasDirty = isDirty;
        Ready = false;

        LimitSlider->setValue(unlimitedSliderPosition);
        NightfoldField->setHourMinute(23, 59);
        UptimeField->setHourMinute(0, 0);
        selectLogin(1);
        if (!currentSchedule)
            return;
        const Schedule& schedule = *currentSchedule;

        if (!user.isAdmin) {
            if (schedule.forceLock)
                selectLogin(0);
            LimitSlider->setValue(sliderPosition(schedule.MaxUsage));
            // After "don't allow": "between" wins when both are set.
            if (schedule.NightfoldOn) {
                NightfoldField->setHourMinute(schedule.Nightfold.hour(), schedule.Nightfold.minute());
                selectLogin(2);
            }
            login[0]->setEnabled(true);
            login[2]->setEnabled(true);
            if (schedule.UptimeOn)
                UptimeField->setHourMinute(schedule.Uptime.hour(), schedule.Uptime.minute());
        } else {
            for (QWidget* control : std::initializer_list<QWidget*>{login[0], login[2], NightfoldField, UptimeField, TimeConnector,
                                                                   sliderfeedback, LimitSlider})
                control->setEnabled(false);
        }

        SettingsPanel->show();
        Ready = true;
        makeDirty(wasDirty);
        scheduleChanged = false;
    });
}

// Selecting from code runs the handler even when the choice stays the same,
// so the dependent controls always follow it.
void MainWin::selectLogin(int index)
{
    if (login[index]->isChecked())
        untrapped([&] { login_Action(index); });
    else
        login[index]->setChecked(true);
}

void MainWin::login_Action(int index)
{
    const bool mayLimit = index >= 1 && !requireUser().isAdmin;
    sliderfeedback->setEnabled(mayLimit);
    LimitSlider->setEnabled(mayLimit);
    for (QWidget* control : std::initializer_list<QWidget*>{UptimeField, NightfoldField, TimeConnector})
        control->setEnabled(index == 2);
    makeDirty(true);
}

void MainWin::LimitSlider_ValueChanged()
{
    const double hours = LimitSlider->value() / 2.0;
    if (LimitSlider->value() == unlimitedSliderPosition)
        sliderfeedback->setText(QStringLiteral("Daily limit: Unlimited"));
    else
        sliderfeedback->setText(QStringLiteral("Daily limit: ") + QString::number(hours, 'f', 1) + QStringLiteral(" hours"));
    makeDirty(true);
}

// ---- Saving ----

bool MainWin::SaveChanges(bool save)
{
    const bool done = handledOr(false, "MainWin.SaveChanges", [&] {
        if (!currentSchedule || !Ready)
            return true;
        NightfoldUser& owner = m_scheduleOwner ? *m_scheduleOwner : requireUser();
        // An administrator's rules show read-only as the defaults: the editor
        // holds nothing of them, and must not overwrite them.
        if (!owner.isAdmin)
            applyEditorTo(*currentSchedule, owner);
        return save ? writeSettingsFile() : true;
    });
    if (save && !done)
        tellSaveFailed();
    return done;
}

void MainWin::applyEditorTo(Schedule& schedule, NightfoldUser& owner)
{
    schedule.Clear();
    schedule.Action = useSwitching() ? QStringLiteral("Switch Out") : QStringLiteral("Log Out");
    schedule.forceLock = login[0]->isChecked();
    schedule.NightfoldOn = login[2]->isChecked();
    schedule.UptimeOn = login[2]->isChecked();
    schedule.MaxOn = LimitSlider->value() < unlimitedSliderPosition && LimitSlider->isEnabledTo(this);
    schedule.MaxUsage = LimitSlider->value() / 2.0;
    schedule.Enabled = schedule.NightfoldOn || schedule.MaxOn || schedule.forceLock;
    const LocalDateTime now = Clock::now();
    schedule.Nightfold = todayAt(now, NightfoldField);
    schedule.Uptime = todayAt(now, UptimeField);

    if (scheduleChooser[0]->isChecked()) {
        schedule.Modified = true;
        schedule.Today = now;
    } else if ((scheduleChooser[1]->isChecked() && Methods::isWeekday()) || (scheduleChooser[2]->isChecked() && Methods::isWeekend())) {
        if (TextCompare::same(owner.Name, lastUser) && owner.Today->Compare(schedule))
            owner.Today = schedule.Duplicate();
    }
    schedule.Clarify();
    lastUser = owner.Name;
}

bool MainWin::writeSettingsFile()
{
    // Writing stamps every custom day with today's date: one left over from a
    // day that has passed (the window open across midnight) must go first.
    for (int i = 1; i <= Globals::userCount(); ++i)
        Globals::Users[i]->GetSchedule();
    if (!Methods::SavePrefs())
        return false;
    makeDirty(false);
    scheduleChanged = false;  // what the editor holds is what was written
    return true;
}

void MainWin::tellSaveFailed()
{
    QMessageBox alert(QMessageBox::Warning, QStringLiteral("Nightfold"), QStringLiteral("Your changes could not be saved."),
                      QMessageBox::Ok, this);
    alert.setInformativeText(QStringLiteral("Nightfold could not write its settings file: the administrator's "
                                            "authorization was refused, or copying the file into place failed. "
                                            "Your changes are still in this window and are not in effect yet."));
    alert.exec();
}

void MainWin::makeDirty(bool value)
{
    handled("MainWin.makeDirty", [&] {
        if (value != isDirty) {
            CarbonDeclares::SetWindowModified(this, value);
            isDirty = value;
        }
        if (isDirty)
            scheduleChanged = true;
    });
}

// ---- Pages and lock buttons ----

void MainWin::SettingsPanel_Change()
{
    if (SettingsPanel->currentIndex() == 0) {
        resizeToPage(settingsPageHeight);
        CaptionTimer->stop();
        if (!currentUser) {
            currentUser = Methods::getCurrentUser();
            DisplayUser();
        } else {
            if (scheduleChooser[0]->isChecked()) {
                // The status page renewed the day's schedule meanwhile: edit the one in force.
                currentUser->GetSchedule();
                currentSchedule = currentUser->Today;
                m_scheduleOwner = currentUser;
            }
            LoadSchedule();
        }
        if (EasyPrefs::GetPrefBoolean(QStringLiteral("showUsers"), true) && !Globals::usersWindowOpen)
            ToggleUserDrawer();
    } else {
        if (currentUser)
            SettingsStatic->setText(currentUser->RealName);
        if (Globals::usersWindowOpen) {
            if (UserPicker* drawer = UserPicker::existing())
                drawer->close();
        }
        resizeToPage(statusPageHeight);
        makeDirty(false);
        UpdateCaptions();
        CaptionTimer->start();
    }
    EnableMenuItems(m_bar);
    update();
}

void MainWin::resizeToPage(int pageHeight)
{
    const int barHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    const QRect target(geometry().topLeft(), QSize(width(), pageHeight + barHeight));
    if (m_resize)
        m_resize->stop();
    if (g_resizeDuration <= 0) {
        setGeometry(target);
        return;
    }
    m_resize = new QPropertyAnimation(this, "geometry", this);
    m_resize->setDuration(g_resizeDuration);
    m_resize->setEndValue(target);
    m_resize->start(QAbstractAnimation::DeleteWhenStopped);
}

bool MainWin::AuthenticateButton_Authenticate() { return Methods::Authorize(); }

bool MainWin::AuthenticateButton_CancelChange()
{
    if (!isDirty)
        return false;
    switch (ConfirmWin::Ask()) {
    case ConfirmWin::DontSave:
        Methods::ReadPrefs();
        scheduleChanged = false;  // the editor's edits are dropped with the rest
        return false;
    case ConfirmWin::Save:
        // A save the system refused keeps the window unlocked with the edits.
        if (!SaveChanges(true))
            return true;
        RestrictionsStatic->setText(QStringLiteral("Applying changes..."));
        RestrictionsStatic->repaint();
        Methods::runAgentNow();
        return false;
    default:
        return true;
    }
}

void MainWin::AuthenticateButton_Change(AuthenticateButton* other, bool locked)
{
    other->forceStatus(locked);
    SettingsPanel->setCurrentIndex(locked ? 1 : 0);
    // Last, so that a failure here cannot leave the editor under a closed padlock.
    if (locked)
        Methods::DropRights();
}

bool MainWin::CancelClose(bool)
{
    return handledOr(false, "MainWin.CancelClose", [&] {
        if (SettingsPanel->currentIndex() != 0 || !isDirty)
            return false;
        switch (ConfirmWin::Ask()) {
        case ConfirmWin::Save:
            return !SaveChanges(true);  // refused: stay open rather than lose the edits
        case ConfirmWin::DontSave:
            return false;
        default:
            return true;
        }
    });
}

// ---- Drawer, menus, keys and the users pop-up ----

void MainWin::ToggleUserDrawer()
{
    handled("MainWin.ToggleUserDrawer", [&] {
        const bool open = Globals::usersWindowOpen;
        if (open)
            UserPicker::instance()->Kill();
        else
            UserPicker::instance()->openBesideMainWindow();
        if (m_bar) {
            if (QAction* item = MenuBar1::item(m_bar, showUsersName))
                item->setText(open ? QStringLiteral("Show Users") : QStringLiteral("Hide Users"));
        }
    });
}

void MainWin::Minimize()
{
    handled("MainWin.Minimize", [&] {
        if (Globals::usersWindowOpen)
            ToggleUserDrawer();
    });
}

void MainWin::EnableMenuItems(QMenuBar* bar)
{
    handled("MainWin.EnableMenuItems", [&] {
        if (!bar)
            return;
        const bool settingsPage = SettingsPanel->currentIndex() == 0;
        if (QAction* item = MenuBar1::item(bar, showUsersName)) {
            item->setEnabled(settingsPage);
            // The drawer also closes by other ways than this item.
            item->setText(Globals::usersWindowOpen ? QStringLiteral("Hide Users") : QStringLiteral("Show Users"));
        }
        if (QAction* item = MenuBar1::item(bar, clearTodayName))
            item->setEnabled(settingsPage && currentUser && currentUser->Today->Modified);
    });
}

bool MainWin::UserShowUsers_Action()
{
    return handledOr(false, "MainWin.ShowUsers", [&] {
        ToggleUserDrawer();
        return true;
    });
}

bool MainWin::UserClearTodaySchedule_Action()
{
    return handledOr(false, "MainWin.ClearSchedule", [&] {
        NightfoldUser& user = requireUser();
        // Edits to the custom day go with it.
        if (currentSchedule == user.Today)
            scheduleChanged = false;
        user.Today->Modified = false;
        DisplayUser();
        makeDirty(true);
        return true;
    });
}

bool MainWin::KeyDown(QChar key)
{
    return handledOr(false, "MainWin.KeyDown", [&] {
        const int n = Globals::userCount();
        if (!currentUser || n < 1)
            return false;
        const auto isCurrent = [&](int i) { return TextCompare::same(Globals::Users[i]->Name, currentUser->Name); };
        const auto choose = [&](int i) {
            currentUser = Globals::Users[i];
            DisplayUser();
        };
        const ushort code = key.unicode();
        if (code == 28 || code == 31) {
            for (int i = 2; i <= n; ++i) {
                if (isCurrent(i)) {
                    choose(i - 1);
                    return true;
                }
            }
            choose(n);
            return false;
        }
        if (code == 29 || code == 30) {
            for (int i = 1; i <= n - 1; ++i) {
                if (isCurrent(i)) {
                    choose(i + 1);
                    return true;
                }
            }
            choose(1);
            return false;
        }
        return false;
    });
}

bool MainWin::UserArrow_MouseDown(int, int)
{
    QMenu menu;
    for (int i = 1; i <= Globals::userCount(); ++i) {
        const auto& user = Globals::Users[i];
        QAction* item = menu.addAction(user->RealName);
        item->setCheckable(true);
        item->setChecked(currentUser && TextCompare::same(user->Name, currentUser->Name));
    }
    const QPointer<MainWin> alive(this);
    QAction* chosen = menu.exec(UserArrow->mapToGlobal(QPoint(UserArrow->width() / 2, UserArrow->height())));
    const int k = static_cast<int>(menu.actions().indexOf(chosen));
    if (alive && chosen && k + 1 <= Globals::userCount()) {
        currentUser = Globals::Users[k + 1];
        DisplayUser();
    }
    return false;
}

// ---- Status captions ----

void MainWin::CaptionTimer_Action() { UpdateCaptions(); }

void MainWin::UpdateCaptions()
{
    handled("MainWin.UpdateCaptions", [&] {
        if (!currentUser)
            return;
        NightfoldUser& user = *currentUser;
        if (!TextCompare::same(UserCaption->text(), user.RealName) || UserArrow->x() < 0) {
            UserCaption->setText(user.RealName);
            const int width = QFontMetrics(UserCaption->font()).horizontalAdvance(user.RealName) + 5;
            UserCaption->resize(width, UserCaption->height());
            UserArrow->move(UserCaption->x() + width + 5, UserArrow->y());
        }
        user.GetSchedule();
        RestrictionsStatic->setText(user.Restrictions());
        ActionCaption->setText(statusLine(user));
    });
}

QString MainWin::statusLine(NightfoldUser& user)
{
    if (user.Enabled && !user.Disabled()) {
        if (!user.isCurrent)
            return user.Restrictions();
        const std::shared_ptr<Schedule> today = user.Today;
        const auto target = DetermineTarget(*today, user);
        const LocalDateTime now = Clock::now();
        if (!target || now > *target)
            return user.Restrictions();
        return today->Action + QStringLiteral(" in ") + clockText(target->totalSeconds() - now.totalSeconds());
    }
    if (user.Disabled())
        return user.Restrictions();
    if (user.isAdmin)
        return adminText;
    return user.Restrictions();
}

std::optional<LocalDateTime> MainWin::DetermineTarget(const Schedule& schedule, const NightfoldUser& user)
{
    return handledOr(std::optional<LocalDateTime>(), "MainWin.DetermineTarget", [&] {
        const LocalDateTime now = Clock::now();
        std::optional<LocalDateTime> limit;
        if (schedule.MaxOn)
            limit = user.maxDate;
        std::optional<LocalDateTime> nightfold;
        if (schedule.NightfoldOn) {
            const int hour = schedule.Nightfold.hour();
            const int minute = schedule.Nightfold.minute();
            nightfold = LocalDateTime::fromParts(now.year(), now.month(), now.day(), hour, minute, 0);
            // Within the same minute the target stays today, already passed by the seconds gone.
            if (hour < now.hour() || (hour == now.hour() && minute < now.minute()))
                nightfold = nightfold->addSeconds(86400);
        }
        if (!limit)
            return nightfold;
        if (!nightfold)
            return limit;
        return *limit < *nightfold ? limit : nightfold;
    });
}
