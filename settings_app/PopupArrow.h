#pragma once

#include <QWidget>

// The small downward arrow that opens a pop-up menu when pressed.
class PopupArrow : public QWidget {
    Q_OBJECT

public:
    explicit PopupArrow(QWidget* parent = nullptr);

signals:
    // Where the mouse went down, in the arrow's own coordinates.
    void MouseDown(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
