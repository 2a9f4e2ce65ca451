#pragma once

#include "RuntimeError.h"

// Routines whose behaviour arrives with a later piece of work raise this, so a
// call is reported under the caller's label instead of doing something wrong.
[[noreturn]] inline void notYetBuilt(const char* routine)
{
    throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("%1 is not built yet").arg(QLatin1String(routine)));
}
