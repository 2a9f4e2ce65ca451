#pragma once

#include <QPushButton>

// The push button that ends a modal dialog: it hides its window, raises
// Action (where the window records the answer) and closes the window.
class ModalButton : public QPushButton {
    Q_OBJECT

public:
    explicit ModalButton(const QString& text, QWidget* parent = nullptr);

signals:
    void Action();

private:
    void endDialog();
};
