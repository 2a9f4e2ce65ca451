#pragma once

#include <QMainWindow>

class QLabel;
class QPushButton;
class QTimer;

// The agent-status window "Nightfold Status": says whether the agent is
// installed and current, and turns it on (install) or off (remove). One
// instance per process.
class EnablerWindow : public QMainWindow {
    Q_OBJECT

public:
    // The open window, or a new one (not shown).
    static EnablerWindow* instance();
    static EnablerWindow* existing();

    // Authorizes if needed, then installs (on) or removes the agent and
    // starts the status timer; without an authorization nothing changes.
    void turnOnOrOff(bool on);
    // opening: called as the window opens, not after turning on or off.
    void showCurrentStatus(bool opening);
    void ToggleButton_Action();
    // The status timer's one shot, 3 s after turning on or off.
    void Timer1_Action();

    QLabel* StaticText1;
    QPushButton* ToggleButton;
    QTimer* Timer1;

    static constexpr int kWidth = 297;
    static constexpr int kHeight = 134;

protected:
    void showEvent(QShowEvent* event) override;

private:
    EnablerWindow();
    void Open();

    bool m_opened = false;
};
