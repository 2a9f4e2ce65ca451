#pragma once

#include <QDialog>

class ModalButton;

// The three-way question asked before unsaved rule changes would be lost.
class ConfirmWin : public QDialog {
    Q_OBJECT

public:
    enum Answer { Cancel = 0, DontSave = 1, Save = 2 };

    // The one window, created on first use.
    static ConfirmWin* instance();
    // Asks modally: 2 save, 1 don't save, 0 cancel (also Escape).
    static int Ask();

    int Choice = Cancel;

    // Escape and the close box press Cancel.
    void reject() override;

private:
    ConfirmWin();

    ModalButton* NoButton;
    ModalButton* CancelButton;
    ModalButton* YesButton;
};
