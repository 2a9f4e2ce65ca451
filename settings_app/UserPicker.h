#pragma once

#include <QWidget>

// The users drawer: a narrow "Users" window against the main window's side,
// listing every managed user. One instance per process.
class UserPicker : public QWidget {
    Q_OBJECT
public:
    static UserPicker* instance();
    static UserPicker* existing();
    // Shows the drawer beside the main window.
    void openBesideMainWindow();
    void Kill();

private:
    UserPicker();
};
