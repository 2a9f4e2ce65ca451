#include "AppPictures.h"

#include <QString>

// The resources live in a static library: naming them here keeps the linker
// from dropping them. (The registration cannot sit inside a namespace.)
static void makeResourcesAvailable()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {
QImage pictureResource(int number)
{
    makeResourcesAvailable();
    return QImage(QStringLiteral(":/pictures/%1").arg(number));
}
}  // namespace

namespace AppPictures {
QImage UsersPref()
{
    static const QImage picture = pictureResource(168);
    return picture;
}

QImage icon()
{
    static const QImage picture = pictureResource(169);
    return picture;
}

QImage mask()
{
    static const QImage picture = pictureResource(170);
    return picture;
}
}  // namespace AppPictures
