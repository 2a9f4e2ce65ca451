#pragma once

#include <QWidget>

class UserBox;

// The users drawer: a narrow "Users" window against the main window's side,
// listing every managed user. One instance per process.
class UserPicker : public QWidget {
    Q_OBJECT
public:
    static UserPicker* instance();
    // The open drawer, else nullptr (a closed one is gone before it is deleted).
    static UserPicker* existing();
    ~UserPicker() override;
    // Shows the drawer beside the main window.
    void openBesideMainWindow();
    // Closes the drawer on request and remembers it stays closed ("showUsers").
    void Kill();

    UserBox* Box;

    // The drawer's events.
    void Open();
    void Close();
    void Box_Change();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Follows the main window when it moves or resizes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    UserPicker();
    void placeBesideMainWindow();

    QObject* m_mainWindow = nullptr;  // the window followed; compared, never used
    bool m_opened = false;
    bool m_closed = false;
};
