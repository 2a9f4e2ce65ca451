#pragma once

#include "LocalDateTime.h"

#include <QString>

// What the application log keeps: a moment, a line of text and a level.
class QMLogEntryInterface {
public:
    virtual ~QMLogEntryInterface() = default;
    virtual LocalDateTime getTime() const = 0;
    virtual QString getMessage() const = 0;
    virtual int getLevel() const = 0;
};
