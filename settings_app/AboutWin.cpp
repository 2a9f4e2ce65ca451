#include "AboutWin.h"

#include "SystemFonts.h"

#include "AppPictures.h"
#include "VersionStatic.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {
const int restingPeriod = 5000;
const int creepingPeriod = 30;
const int lastCreepingPixel = 350;

QLabel* staticText(const QString& text, QWidget* parent, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// The 128 x 128 icon and its mask, drawn at 64 x 64. The mask is black where
// the icon shows, so its inverse is the alpha.
QImage iconPicture()
{
    QImage picture(64, 64, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    const QImage icon = AppPictures::icon();
    const QImage mask = AppPictures::mask();
    if (icon.isNull())
        return picture;
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(picture.rect(), icon);
    }
    if (!mask.isNull()) {
        QImage alpha = mask.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_Grayscale8);
        alpha.invertPixels();
        picture.setAlphaChannel(alpha);
    }
    return picture;
}
}  // namespace

AboutWin* AboutWin::instance()
{
    static QPointer<AboutWin> window;
    if (!window)
        window = new AboutWin;
    return window;
}

AboutWin::AboutWin() : QWidget(nullptr, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Nightfold"));
    setFixedSize(235, 231);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().width() / 2 - width() / 2, screen->geometry().height() / 2 - height() / 2);

    Canvas1 = new QLabel(this);
    Canvas1->setGeometry(44, 9, 64, 64);
    Canvas1->setPixmap(QPixmap::fromImage(iconPicture()));

    UserCaption = new QLabel(QStringLiteral("Nightfold"), this);
    UserCaption->setGeometry(114, 25, 76, 20);
    UserCaption->setFont(SystemFonts::smallSystem());
    ActionCaption = new VersionStatic(this);
    ActionCaption->setGeometry(114, 41, 270, 19);
    ActionCaption->setFont(SystemFonts::smallSystem());

    StaticText5 = staticText(QStringLiteral("\u00A9 2026 The Nightfold Team. All rights reserved."), this, {-1, 87, 237, 30});
    StaticText5->setFont(SystemFonts::smallSystem());

    // The credits sit on their own canvas, which clips them as they creep up.
    Credits = new QWidget(this);
    Credits->setGeometry(-5, 121, 250, 511);
    const QStringList credits = {
        QStringLiteral("Design and programming"), QStringLiteral("The Nightfold Team"),
        QStringLiteral("Padlock and icon artwork"), QStringLiteral("Drawn for Nightfold"),
        QStringLiteral("With thanks to"), QStringLiteral("every family who tried it out"),
    };
    const int tops[] = {131, 154, 178, 201, 226, 249};
    for (int i = 0; i < credits.size(); ++i)
        staticText(credits[i], Credits, {-1 - Credits->x(), tops[i] - Credits->y(), 237, 20});

    scrollTimer = new QTimer(this);
    connect(scrollTimer, &QTimer::timeout, this, &AboutWin::scrollTimer_Action);
    scrollTimer->start(restingPeriod);
}

void AboutWin::scrollTimer_Action()
{
    if (scrollTimer->interval() > creepingPeriod)
        scrollTimer->setInterval(creepingPeriod);
    if (scrolledPixels <= lastCreepingPixel) {
        scrollCredits(-1);
        ++scrolledPixels;
    } else {
        scrollCredits(scrolledPixels);
        scrolledPixels = 0;
        scrollTimer->setInterval(restingPeriod);
    }
    Credits->update();
}

void AboutWin::scrollCredits(int dy)
{
    for (QWidget* text : Credits->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        text->move(text->x(), text->y() + dy);
}

void AboutWin::mousePressEvent(QMouseEvent* event)
{
    if (!childAt(event->position().toPoint()))
        close();
}
