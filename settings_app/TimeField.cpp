#include "TimeField.h"

TimeField::TimeField(QWidget* parent) : QTimeEdit(parent)
{
    setDisplayFormat(QStringLiteral("H:mm"));
    setTime(QTime(0, 0));
    QFont systemFont = font();
    systemFont.setPixelSize(13);
    setFont(systemFont);
    connect(this, &QTimeEdit::timeChanged, this, &TimeField::ValueChanged);
}

void TimeField::setHourMinute(int hour, int minute) { setTime(QTime(hour, minute)); }
