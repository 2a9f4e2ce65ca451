#pragma once

#include <QImage>

// The picture resources built into the settings application, each read on
// first use and kept for the life of the process (a null picture when the
// resource is missing).
namespace AppPictures {
// Resource 168: the generic user picture, 48 x 48.
QImage UsersPref();
// Resource 169: the application icon, 128 x 128.
QImage icon();
// Resource 170: the icon's mask, 128 x 128, black where the icon shows.
QImage mask();
}  // namespace AppPictures
