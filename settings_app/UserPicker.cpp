#include "UserPicker.h"

#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Globals.h"
#include "MainWin.h"
#include "NightfoldUser.h"
#include "TextCompare.h"
#include "UserBox.h"

#include <QCloseEvent>
#include <QPointer>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
QPointer<UserPicker> g_instance;
}

UserPicker* UserPicker::instance()
{
    if (!g_instance)
        g_instance = new UserPicker();
    return g_instance;
}

UserPicker* UserPicker::existing() { return g_instance; }

// This platform has no drawers: a tool window that belongs to the main window
// stands in, kept against its right side.
UserPicker::UserPicker() : QWidget(MainWin::existing(), Qt::Tool)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Users"));
    resize(212, 306);
    Box = new UserBox(this);
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(Box);
    connect(Box, &UserBox::itemSelectionChanged, this, &UserPicker::Box_Change);
}

UserPicker::~UserPicker()
{
    Box->blockSignals(true);
    // Destroyed with the main window, without closing first.
    if (m_opened && !m_closed)
        Close();
}

void UserPicker::openBesideMainWindow()
{
    if (MainWin* main = MainWin::existing()) {
        main->installEventFilter(this);
        m_mainWindow = main;
    }
    placeBesideMainWindow();
    show();
    raise();
    if (!m_opened) {
        m_opened = true;
        Open();
    }
}

void UserPicker::placeBesideMainWindow()
{
    if (const MainWin* main = MainWin::existing())
        move(main->frameGeometry().right() + 1, main->frameGeometry().top());
}

bool UserPicker::eventFilter(QObject* watched, QEvent* event)
{
    // Only these two: other events still come while the main window is being destroyed.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && watched == m_mainWindow)
        placeBesideMainWindow();
    return QWidget::eventFilter(watched, event);
}

void UserPicker::Open()
{
    handled("userpicker.open", [this] {
        Box->Load(Globals::Users);
        Globals::usersWindowOpen = true;
        const MainWin* main = MainWin::existing();
        if (!main || !main->currentUser)
            return;
        for (int i = 1; i <= Globals::userCount(); ++i) {
            if (TextCompare::same(Globals::Users[i]->Name, main->currentUser->Name)) {
                Box->setCurrentRow(i - 1);
                break;
            }
        }
        EasyPrefs::SetPrefBoolean(QStringLiteral("showUsers"), true);
    });
}

void UserPicker::Box_Change()
{
    handled("userpicker.change", [this] {
        MainWin* main = MainWin::existing();
        if (!main)
            return;
        const QList<QListWidgetItem*> selected = Box->selectedItems();
        if (selected.isEmpty()) {
            // No current user until one is chosen again; the editor shows nothing meanwhile.
            if (main->SettingsPanel)
                main->SettingsPanel->hide();
            main->currentUser = nullptr;
            return;
        }
        const int user = Box->row(selected.first()) + 1;
        if (user > Globals::userCount())
            throw RuntimeError(RuntimeError::Kind::OutOfBounds, QStringLiteral("the users changed since the list was filled"));
        main->currentUser = Globals::Users[user];
        main->DisplayUser();
    });
}

void UserPicker::Kill()
{
    handled("userpicker.kill", [this] {
        EasyPrefs::SetPrefBoolean(QStringLiteral("showUsers"), false);
        close();
    });
}

void UserPicker::Close()
{
    handled("userpicker.close", [] { Globals::usersWindowOpen = false; });
}

void UserPicker::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        // The list goes with the window; its last selection is no user's choice.
        Box->blockSignals(true);
        Close();
        if (g_instance == this)
            g_instance = nullptr;
    }
    QWidget::closeEvent(event);
}
