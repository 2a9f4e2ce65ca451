#include "PopupArrow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

PopupArrow::PopupArrow(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

void PopupArrow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const qreal w = width();
    const qreal h = height();
    painter.drawPolygon(QPolygonF({QPointF(0, h * 0.25), QPointF(w, h * 0.25), QPointF(w / 2, h * 0.85)}));
}

void PopupArrow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    emit MouseDown(at.x(), at.y());
}
