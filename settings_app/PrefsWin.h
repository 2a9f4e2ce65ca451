#pragma once

#include <QMainWindow>

// The preferences window; closing it is saving. One instance per process.
class PrefsWin : public QMainWindow {
    Q_OBJECT
public:
    static PrefsWin* instance();
    static PrefsWin* existing();

private:
    PrefsWin();
};
