#include "Clock.h"
#include "ErrorAndLoggingGlobals.h"
#include "Methods.h"

namespace Methods {
bool isWeekday()
{
    return handledOr(false, "Methods.isWeekday", [] {
        const int day = Clock::now().dayOfWeek();
        return day != 1 && day != 7;
    });
}

bool isWeekend()
{
    return handledOr(false, "Methods.isWeekend", [] {
        const int day = Clock::now().dayOfWeek();
        return day == 1 || day == 7;
    });
}
}  // namespace Methods
