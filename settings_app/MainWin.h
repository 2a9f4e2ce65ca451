#pragma once

#include "LocalDateTime.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class AuthenticateButton;
class NightfoldUser;
class PopupArrow;
class QLabel;
class QMenuBar;
class QPropertyAnimation;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QTimer;
class Schedule;
class TimeField;

// The main settings window: a status page and, unlocked, the rule editor.
// One instance per process; creating it opens it on the status page.
class MainWin : public QMainWindow {
    Q_OBJECT
    Q_MOC_INCLUDE(<QMenuBar>)
public:
    // The one instance, created (and opened, locked) on first use; not shown.
    static MainWin* instance();
    // The instance when one exists, else nullptr.
    static MainWin* existing();

    // Shows the window, or brings it to the front.
    void showAndRaise();

    // The user shown, and the state of the editor.
    std::shared_ptr<NightfoldUser> currentUser;
    bool isDirty = false;                         // edits not yet written to the settings file
    std::shared_ptr<Schedule> currentSchedule;    // the one of currentUser's schedules in the editor
    bool Ready = false;                           // the editor holds a completely loaded schedule
    QString lastUser;                             // whose schedule SaveChanges last wrote back
    bool scheduleChanged = false;                 // the editor was edited since it was loaded

    // Page 0: the settings page; page 1: the status page.
    QStackedWidget* SettingsPanel = nullptr;
    // Settings page.
    QLabel* SettingsStatic = nullptr;
    QLabel* SecondCanvas = nullptr;
    QLabel* RestrictionsStatic = nullptr;
    std::array<QPushButton*, 3> scheduleChooser{};  // Today, Weekdays, Weekends
    std::array<QRadioButton*, 3> login{};           // don't allow, any time, between
    TimeField* UptimeField = nullptr;
    QLabel* TimeConnector = nullptr;
    TimeField* NightfoldField = nullptr;
    QLabel* sliderfeedback = nullptr;
    QSlider* LimitSlider = nullptr;
    QLabel* activityStatic = nullptr;
    AuthenticateButton* AuthenticateButton2 = nullptr;
    // Status page.
    QLabel* UserCanvas = nullptr;
    QLabel* UserCaption = nullptr;
    PopupArrow* UserArrow = nullptr;
    QLabel* ActionCaption = nullptr;
    AuthenticateButton* AuthenticateButton1 = nullptr;
    // Refreshes the status page once a second while it shows.
    QTimer* CaptionTimer = nullptr;

    // A slider position p is a daily limit of p / 2 hours; the highest means none.
    static constexpr int lowestSliderPosition = 1;
    static constexpr int unlimitedSliderPosition = 48;
    static constexpr int settingsPageHeight = 341;
    static constexpr int statusPageHeight = 60;

    void DisplayUser();
    // Editor into the schedule it shows; with save, then the settings file.
    // False when a requested write failed (the administrator has been told).
    bool SaveChanges(bool save);
    void makeDirty(bool value);
    void LoadSchedule();
    // 0 Today, 1 Weekdays, 2 Weekends.
    void SwitchSchedule(int index);
    // The moment of the user's next action, if any.
    std::optional<LocalDateTime> DetermineTarget(const Schedule& schedule, const NightfoldUser& user);
    void UpdateCaptions();
    void CaptionTimer_Action();
    void ToggleUserDrawer();
    void Minimize();
    // Called by the application before a menu of this window's bar shows.
    Q_INVOKABLE void EnableMenuItems(QMenuBar* bar);
    // The classic key characters: 28 left, 29 right, 30 up, 31 down arrow.
    bool KeyDown(QChar key);
    // True keeps the window open.
    bool CancelClose(bool appQuitting);
    bool UserShowUsers_Action();
    bool UserClearTodaySchedule_Action();
    // Opens the users pop-up menu below the arrow.
    bool UserArrow_MouseDown(int x, int y);

    // The page change resizes the window over this many milliseconds; 0
    // resizes at once (tests).
    static void setResizeDuration(int milliseconds);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    MainWin();
    void buildSettingsPage(QWidget* page);
    void buildStatusPage(QWidget* page);
    void connectControls();
    void buildMenuBar();
    void Open();
    void Close();

    // Control handlers; errors in them go to the last-resort handler.
    void SettingsPanel_Change();
    void login_Action(int index);
    void LimitSlider_ValueChanged();
    bool AuthenticateButton_Authenticate();
    bool AuthenticateButton_CancelChange();
    void AuthenticateButton_Change(AuthenticateButton* other, bool locked);

    NightfoldUser& requireUser() const;
    void selectLogin(int index);
    void carryEditsIntoSchedule();
    void applyEditorTo(Schedule& schedule, NightfoldUser& owner);
    bool writeSettingsFile();
    void tellSaveFailed();
    QString statusLine(NightfoldUser& user);
    void resizeToPage(int pageHeight);
    void setShowUsersText(QMenuBar* bar);

    // The user whose schedule the editor holds (currentUser may have moved on).
    std::shared_ptr<NightfoldUser> m_scheduleOwner;
    QMenuBar* m_bar = nullptr;
    QPointer<QPropertyAnimation> m_resize;
};
