#pragma once

#include <QTimeEdit>

// A time-of-day entry: hours and minutes, seconds hidden.
class TimeField : public QTimeEdit {
    Q_OBJECT

public:
    explicit TimeField(QWidget* parent = nullptr);

    void setHourMinute(int hour, int minute);
    int hour() const { return time().hour(); }
    int minute() const { return time().minute(); }

signals:
    // Raised for every change, typed or set from code.
    void ValueChanged();
};
