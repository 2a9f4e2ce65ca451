#include "ModalButton.h"

ModalButton::ModalButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    // Return presses the dialog's default button, never merely the focused one.
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &ModalButton::endDialog);
}

void ModalButton::endDialog()
{
    QWidget* dialog = window();
    dialog->hide();
    emit Action();
    dialog->close();
}
