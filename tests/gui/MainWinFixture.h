#pragma once

#include "AuthenticateButton.h"
#include "CoreFixture.h"
#include "EasyPrefs.h"
#include "Globals.h"
#include "MainWin.h"
#include "Methods.h"
#include "NightfoldUser.h"
#include "Schedule.h"
#include "SettingsStream.h"
#include "SimulatedMachine.h"
#include "SystemPaths.h"
#include "TextCompare.h"
#include "UserPicker.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <optional>

// The rules a test gives one schedule; Action is "Log Out".
struct Rules {
    bool forceLock = false;
    std::optional<QTime> from = std::nullopt;   // with until: log in only between the two
    std::optional<QTime> until = std::nullopt;  // alone: locked from this time on
    double limit = 0;            // MaxUsage
    bool limitOn = false;        // MaxOn
    bool custom = false;         // Modified (an override for today)

    void applyTo(Schedule& s) const
    {
        const LocalDateTime now = Clock::now();
        const auto at = [&](QTime t) { return LocalDateTime::fromParts(now.year(), now.month(), now.day(), t.hour(), t.minute()); };
        s.Action = QStringLiteral("Log Out");
        s.forceLock = forceLock;
        s.NightfoldOn = until.has_value();
        s.UptimeOn = from.has_value();
        if (until)
            s.Nightfold = at(*until);
        if (from)
            s.Uptime = at(*from);
        s.MaxUsage = limit;
        s.MaxOn = limitOn;
        s.Enabled = s.forceLock || s.NightfoldOn || s.MaxOn;
        s.Modified = custom;
        s.Today = now;
    }
};

// What the settings file holds for one user.
struct StoredSchedules {
    Schedule Today, Weekdays, Weekends;
    bool found = false;
};

// Answers the modal dialogs and pop-up menus that open, in order, each as
// soon as it is up. A dialog beyond the answers fails the test and is hidden.
class ModalAnswers {
public:
    using Answer = std::function<void(QWidget*)>;
    explicit ModalAnswers(QList<Answer> answers) : m_answers(std::move(answers))
    {
        m_poll.setInterval(0);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { answerOpenDialog(); });
        m_poll.start();
    }
    int unanswered() const { return static_cast<int>(m_answers.size()); }

private:
    void answerOpenDialog()
    {
        QWidget* open = QApplication::activePopupWidget();
        if (!open)
            open = QApplication::activeModalWidget();
        if (!open || !open->isVisible() || m_seen.contains(open))
            return;
        m_seen.append(open);
        if (m_answers.isEmpty()) {
            ADD_FAILURE() << "unexpected dialog " << open->metaObject()->className();
            open->hide();
            return;
        }
        m_answers.takeFirst()(open);
    }

    QList<Answer> m_answers;
    QList<QPointer<QWidget>> m_seen;
    QTimer m_poll;
};

inline ModalAnswers::Answer pressButton(const QString& text)
{
    return [text](QWidget* dialog) {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == text)
                return button->click();
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        dialog->hide();
    };
}

// Reads the alert's texts and presses its OK button.
inline ModalAnswers::Answer acknowledgeAlert(QString* seenText = nullptr)
{
    return [seenText](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box || !box->button(QMessageBox::Ok)) {
            ADD_FAILURE() << "not an alert: " << dialog->metaObject()->className();
            return dialog->hide();
        }
        if (seenText)
            *seenText = box->text() + QLatin1Char('\n') + box->informativeText();
        box->button(QMessageBox::Ok)->click();
    };
}

// The simulated machine with bob at the desktop, carol and the administrator
// alice; the settings file written by the core; the application's own start.
class MainWinFixture : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        ASSERT_TRUE(machine.prepareFolders());
        machine.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith"));
        machine.addAccount(QStringLiteral("carol"), QStringLiteral("Carol"));
        machine.addAccount(QStringLiteral("alice"), QStringLiteral("Alice Admin"));
        machine.addAdmin(QStringLiteral("alice"));
        machine.logIn(QStringLiteral("bob"));
        machine.install();
        AuthenticateButton::setTickWait([] {});
        MainWin::setResizeDuration(0);
    }

    void TearDown() override
    {
        delete MainWin::existing();
        delete UserPicker::existing();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        AuthenticateButton::setTickWait(nullptr);
        machine.uninstall();
        CoreFixture::TearDown();
    }

    // The core writes a new file for the machine's users after edit has set
    // their rules; then the application starts and reads it.
    void writeSettings(const std::function<void()>& edit = {})
    {
        QFile::remove(SystemPaths::resolve(SystemPaths::settingsFile));
        Globals::resetForNewProcess();
        Methods::setProgram(Methods::Program::Agent);
        Methods::ReadPrefs();
        EasyPrefs::SetPrefBoolean(QStringLiteral("useSwitching"), false);
        EasyPrefs::SetPrefBoolean(QStringLiteral("realWeekends"), false);
        EasyPrefs::SetPrefBoolean(QStringLiteral("showUsers"), false);
        if (edit)
            edit();
        ASSERT_TRUE(Methods::SaveSettings(true));
        Globals::resetForNewProcess();
        Methods::setProgram(Methods::Program::SettingsApplication);
        Methods::ReadPrefs();
        user(QStringLiteral("alice"))->isAdmin = true;  // what the application marks at start
    }

    static std::shared_ptr<NightfoldUser> user(const QString& name)
    {
        for (int i = 1; i <= Globals::userCount(); ++i) {
            if (TextCompare::same(Globals::Users[i]->Name, name))
                return Globals::Users[i];
        }
        ADD_FAILURE() << "no user " << name.toStdString();
        return std::make_shared<NightfoldUser>();
    }

    MainWin* openWindow()
    {
        MainWin* window = MainWin::instance();
        window->show();
        return window;
    }

    // The padlock answered its click: unlocked.
    static void unlock(MainWin* window)
    {
        window->AuthenticateButton1->forceStatus(false);
        window->AuthenticateButton1->Change(false);
    }

    // A click on the open padlock of the settings page.
    static void lock(MainWin* window) { window->AuthenticateButton2->ActionMethod(); }

    static void show(MainWin* window, const QString& name)
    {
        window->currentUser = user(name);
        window->DisplayUser();
    }

    QByteArray settingsFile() const { return readSystemFile(SystemPaths::settingsFile); }

    StoredSchedules stored(const QString& name) const
    {
        StoredSchedules result;
        SettingsReader reader(settingsFile());
        for (int prefs = reader.readCount(); prefs > 0; --prefs) {
            reader.readText();
            reader.readText();
        }
        for (int users = reader.readCount(); users > 0 && !result.found; --users) {
            result.found = TextCompare::same(reader.readText(), name);
            reader.readInteger();
            reader.readByte();
            result.Today.Load(reader);
            result.Weekdays.Load(reader);
            result.Weekends.Load(reader);
        }
        EXPECT_TRUE(result.found) << name.toStdString();
        return result;
    }

    SimulatedMachine machine;
};
