#include "SystemFonts.h"

#include <QGuiApplication>

namespace SystemFonts {
QFont smallSystem()
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(font.pointSizeF() * 11.0 / 13.0);
    return font;
}
}  // namespace SystemFonts
