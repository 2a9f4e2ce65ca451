#include "ConfirmWin.h"

#include "ModalButton.h"

#include <QLabel>
#include <QPointer>
#include <QStyle>

ConfirmWin* ConfirmWin::instance()
{
    static QPointer<ConfirmWin> window;
    if (!window)
        window = new ConfirmWin;
    return window;
}

int ConfirmWin::Ask()
{
    // Closing ends this window's life: the next question starts afresh.
    const QPointer<ConfirmWin> window = instance();
    window->exec();
    if (!window)
        return Cancel;
    const int choice = window->Choice;
    delete window.data();
    return choice;
}

ConfirmWin::ConfirmWin()
{
    setWindowTitle(QStringLiteral("Save Changes..."));
    setFixedSize(282, 97);

    auto* Canvas1 = new QLabel(this);
    Canvas1->setGeometry(10, 9, 32, 32);
    Canvas1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Canvas1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(32, 32));

    auto* StaticText1 = new QLabel(QStringLiteral("Would you like to save the changes you've made?"), this);
    StaticText1->setGeometry(56, 9, 200, 42);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText1->setWordWrap(true);

    NoButton = new ModalButton(QStringLiteral("Don't Save"), this);
    NoButton->setGeometry(10, 62, 87, 20);
    CancelButton = new ModalButton(QStringLiteral("Cancel"), this);
    CancelButton->setGeometry(123, 62, 70, 20);
    YesButton = new ModalButton(QStringLiteral("Save"), this);
    YesButton->setGeometry(199, 62, 70, 20);
    YesButton->setDefault(true);

    connect(NoButton, &ModalButton::Action, this, [this] { Choice = DontSave; });
    connect(CancelButton, &ModalButton::Action, this, [this] { Choice = Cancel; });
    connect(YesButton, &ModalButton::Action, this, [this] { Choice = Save; });
}

void ConfirmWin::reject()
{
    if (isVisible())
        CancelButton->click();
}
