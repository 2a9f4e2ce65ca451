#pragma once

#include <QMainWindow>

class QCheckBox;
class QComboBox;
class QLabel;

// The preferences window; closing it is saving. One instance per process.
// It asks for administrator rights when it is first shown and fills its
// controls then; it saves only while the rights are still held.
class PrefsWin : public QMainWindow {
    Q_OBJECT
public:
    static PrefsWin* instance();
    static PrefsWin* existing();

    // AfterMenu's positions.
    enum AfterLogout { LeaveMacOn = 0, Sleep = 1, ShutDown = 2 };

    QCheckBox* WeekendBox;
    QLabel* StaticText1;
    QCheckBox* SwitchBox;
    QLabel* switchStatic;
    QCheckBox* warnBox;
    QCheckBox* countBox;
    QLabel* StaticText4;
    QComboBox* AfterMenu;

    // The window's events: Open runs as it is first shown, Close as it closes.
    void Open();
    void Close();

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    PrefsWin();
    void CreateControls();

    bool m_opened = false;
    // Open filled every control: only then do they stand for the preferences.
    bool m_filled = false;
    bool m_closed = false;
};
