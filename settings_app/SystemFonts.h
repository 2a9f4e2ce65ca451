#pragma once

#include <QFont>

namespace SystemFonts {
// The classic "SmallSystem" font: the application font at 11 points for 13.
QFont smallSystem();
}  // namespace SystemFonts
