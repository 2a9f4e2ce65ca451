#pragma once

#include <QWidget>

class QLabel;
class QTimer;
class VersionStatic;

// The about box: icon, name, version, a notice and slowly scrolling credits.
// A click on the window itself (not on a control) closes it.
class AboutWin : public QWidget {
    Q_OBJECT

public:
    // The one window, created on first use.
    static AboutWin* instance();

    int scrolledPixels = 0;
    QTimer* scrollTimer;
    QLabel* Canvas1;
    QLabel* UserCaption;
    VersionStatic* ActionCaption;
    QLabel* StaticText5;
    QWidget* Credits;

    // One tick of the scroll timer: rest, creep up 351 pixels, jump back.
    void scrollTimer_Action();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    AboutWin();
    void scrollCredits(int dy);
};
