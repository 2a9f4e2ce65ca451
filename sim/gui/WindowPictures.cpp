#include "WindowPictures.h"

#include "AboutWin.h"
#include "AppPictures.h"
#include "AuthenticateButton.h"
#include "Clock.h"
#include "ConfirmWin.h"
#include "Globals.h"
#include "MainWin.h"
#include "MenuBar1.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "PrefsWin.h"
#include "RuntimeError.h"
#include "Schedule.h"
#include "SettingsMethods.h"
#include "SimFileSystem.h"
#include "SimulatedMachine.h"
#include "StartupItemInstaller.h"
#include "SystemPaths.h"
#include "UserPicker.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QPainter>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <functional>

namespace {
struct Account {
    const char* name;
    const char* realName;
    QColor colour;
};
const Account kAccounts[] = {
    {"alice", "Alice Admin", QColor(0x4a, 0x78, 0xc2)},
    {"bob", "Bob Smith", QColor(0xd9, 0x7b, 0x29)},
    {"carol", "Carol Jones", QColor(0x5c, 0xa0, 0x4f)},
};

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// A login picture of the account's own: its initial on a coloured disc.
QString writeLoginPicture(const Account& account)
{
    QImage picture(48, 48, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(account.colour);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(picture.rect().adjusted(2, 2, -2, -2));
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(26);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(picture.rect(), Qt::AlignCenter, QString(QChar(account.realName[0])));
    }
    const QString path = QStringLiteral("/Library/User Pictures/%1.png").arg(QLatin1String(account.name));
    SimFileSystem::makeFolders(QStringLiteral("/Library/User Pictures"));
    picture.save(SimFileSystem::realPath(path));
    return path;
}

// bob may use the computer from 07:00 to 21:00 on weekdays, three hours a day,
// and from 08:00 to 22:00 at weekends.
void giveEveningRules(NightfoldUser& user)
{
    const QDate day = Clock::now().date();
    const auto rules = [&](Schedule& schedule, QTime from, QTime to, double hours) {
        schedule.Clear();
        schedule.Enabled = schedule.NightfoldOn = schedule.UptimeOn = true;
        schedule.Uptime = LocalDateTime::fromDateAndTime(day, from);
        schedule.Nightfold = LocalDateTime::fromDateAndTime(day, to);
        schedule.MaxOn = hours < 24;
        schedule.MaxUsage = hours;
        schedule.Action = QStringLiteral("Log Out");
    };
    rules(*user.Weekdays, QTime(7, 0), QTime(21, 0), 3);
    rules(*user.Weekends, QTime(8, 0), QTime(22, 0), 24);
    user.GetSchedule();
}

void prepareMachine(SimulatedMachine& machine, const QString& shippedFolder)
{
    for (const Account& account : kAccounts)
        machine.addAccount(QLatin1String(account.name), QLatin1String(account.realName), QStringLiteral("/bin/bash"),
                           writeLoginPicture(account));
    machine.addAdmin(QStringLiteral("alice"));
    machine.logIn(QStringLiteral("bob"));
    StartupItemInstaller::install(machine, shippedFolder);
    machine.setPromptAnswer(PromptAnswer::Accept);
    machine.install();
}

// What the application holds once an administrator has unlocked it.
void startSettingsApplication(SimulatedMachine& machine)
{
    Methods::setProgram(Methods::Program::SettingsApplication);
    UserClass::setApplicationPicture([] { return AppPictures::UsersPref(); });
    Methods::ReadPrefs();
    try {
        Methods::determineAdminStatus();
    } catch (const RuntimeError&) {
        // Not built yet: every user shows as a standard one.
    }
    for (int i = 1; i <= Globals::userCount(); ++i)
        if (Globals::Users[i]->Name == QLatin1String("bob"))
            giveEveningRules(*Globals::Users[i]);
    Globals::savedAuthorization = machine.authorization().prompt();
}

class Pictures {
public:
    explicit Pictures(const QString& folder) : m_folder(folder) {}

    // Brings a window up and draws it; nullptr from show is a window not built yet.
    void window(const QString& name, const std::function<QWidget*()>& show)
    {
        try {
            QWidget* shown = show();
            settle();
            if (!shown || !shown->isVisible()) {
                m_out << name << ": no window to draw yet\n";
                return;
            }
            write(name, shown->grab().toImage());
        } catch (const RuntimeError& error) {
            m_out << name << ": " << error.message() << '\n';
        }
    }

    void write(const QString& name, const QImage& picture)
    {
        const QString path = m_folder.filePath(name + QStringLiteral(".png"));
        if (picture.isNull() || !picture.save(path)) {
            QTextStream(stderr) << "nightfold-sim: cannot write " << path << Qt::endl;
            m_failed = true;
            return;
        }
        m_out << "wrote " << path << '\n';
    }

    bool failed() const { return m_failed; }

private:
    QDir m_folder;
    QTextStream m_out{stdout};
    bool m_failed = false;
};

QWidget* unlock(MainWin* main)
{
    // As the agent-status window does after installing: both padlocks open, the editor shown.
    for (AuthenticateButton* padlock : {main->AuthenticateButton1, main->AuthenticateButton2})
        if (padlock)
            padlock->forceStatus(false);
    if (main->SettingsPanel)
        main->SettingsPanel->setCurrentIndex(0);
    return main;
}

QWidget* usersDrawer()
{
    if (UserPicker* drawer = UserPicker::existing())
        return drawer;
    UserPicker::instance()->openBesideMainWindow();
    return UserPicker::existing();
}

QWidget* agentStatus()
{
    QWidget host;
    QMenuBar* bar = MenuBar1::build(&host);
    if (QAction* item = bar ? MenuBar1::item(bar, QStringLiteral("AppleEnableNightfold")) : nullptr)
        item->trigger();
    settle();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == QLatin1String("Nightfold Status"))
            return window;
    return nullptr;
}

QImage saveQuestion()
{
    QImage picture;
    QTimer::singleShot(0, [&picture] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            picture = dialog->grab().toImage();
            dialog->close();
        }
    });
    ConfirmWin::Ask();
    return picture;
}
}  // namespace

namespace WindowPictures {
int render(const QString& folder, const QString& shippedFolder)
{
    QTemporaryDir machineFolder;
    if (!machineFolder.isValid() || !QDir().mkpath(folder)) {
        QTextStream(stderr) << "nightfold-sim: cannot prepare " << folder << Qt::endl;
        return 1;
    }
    SystemPaths::setRoot(machineFolder.path());
    SystemPaths::setTemporaryFolder(QStringLiteral("/tmp"));
    // Friday 2026-12-11, 20:40: bob has twenty minutes left.
    TestClock clock(LocalDateTime::fromParts(2026, 12, 11, 20, 40));
    ScopedClock scopedClock(clock);
    SimulatedMachine machine;
    prepareMachine(machine, shippedFolder);
    startSettingsApplication(machine);

    Pictures pictures(folder);
    MainWin* main = MainWin::instance();
    pictures.window(QStringLiteral("main-window-locked"), [main] {
        main->showAndRaise();
        return main;
    });
    pictures.window(QStringLiteral("main-window-unlocked"), [main] { return unlock(main); });
    pictures.window(QStringLiteral("users-drawer"), usersDrawer);
    pictures.window(QStringLiteral("preferences"), [] {
        PrefsWin* prefs = PrefsWin::instance();
        prefs->show();
        return prefs;
    });
    pictures.window(QStringLiteral("agent-status"), agentStatus);
    pictures.window(QStringLiteral("about"), [] {
        AboutWin::instance()->show();
        return AboutWin::instance();
    });
    pictures.write(QStringLiteral("save-question"), saveQuestion());

    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    machine.uninstall();
    SystemPaths::setRoot(QStringLiteral("/"));
    return pictures.failed() ? 1 : 0;
}
}  // namespace WindowPictures
