#include "AuthenticateButton.h"

#include "SystemPaths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

namespace {
const int frameCount = 15;
const qint64 tickNanoseconds = 1000000000 / 60;
const QRect pictureArea(0, 0, 33, 33);

const QString openingSound = QStringLiteral("lockOpening.aif");
const QString closingSound = QStringLiteral("lockClosing.aif");
// Below the System folder of the system domain, in the system's own notation.
const QString soundFolder = QStringLiteral("Library:Frameworks:SecurityInterface.framework:Versions:A:Resources:");

const QString authenticatingText = QStringLiteral("Authenticating...");
const QString openText = QStringLiteral("Click the lock to prevent further changes.");
const QString closedText = QStringLiteral("Click the lock to make changes.");

QString& picturesFolderOverride()
{
    static QString folder;
    return folder;
}

std::function<void()>& tickWaitOverride()
{
    static std::function<void()> wait;
    return wait;
}

QString twoDigits(int frame)
{
    return QStringLiteral("%1").arg(frame, 2, 10, QLatin1Char('0'));
}

// Decodes by content, so the pictures read whatever their format, TIFF
// included where the platform has a reader for it. The alpha channel is the
// picture's mask.
QImage readPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QImage::fromData(file.readAll()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// This platform has no player for the system's lock sounds: each one counts as
// a sound that failed to load, and is simply missing.
std::function<void()> loadSound(const QString& path)
{
    Q_UNUSED(path);
    return {};
}
}  // namespace

AuthenticateButton::AuthenticateButton(QWidget* parent) : QWidget(parent)
{
    resize(sizeHint());
    setPictureProps();
    setOriginalPicture();
    setSounds();
}

void AuthenticateButton::setPictureProps()
{
    setPicProp(QStringLiteral("open_standard"), QStringLiteral("Lock_Unlocked State"));
    setPicProp(QStringLiteral("open_rollover"), QStringLiteral("Lock_Unlocked State_Rollover"));
    setPicProp(QStringLiteral("open_pressed"), QStringLiteral("Lock_Unlocked State_Pressed"));
    setPicProp(QStringLiteral("locked_standard"), QStringLiteral("Lock_Locked State"));
    setPicProp(QStringLiteral("locked_rollover"), QStringLiteral("Lock_Locked State_Rollover"));
    setPicProp(QStringLiteral("locked_pressed"), QStringLiteral("Lock_Locked State_Pressed"));
    for (int frame = 1; frame <= frameCount; ++frame)
        setPicProp(QStringLiteral("animation_") + twoDigits(frame), QStringLiteral("Lock_Open Anim ") + twoDigits(frame));
}

void AuthenticateButton::setPicProp(const QString& key, const QString& fileName)
{
    const QImage picture = readPicture(picturesFolder() + QLatin1Char('/') + fileName + QStringLiteral(".tif"));
    if (!picture.isNull())
        pix.insert(key, picture);
}

void AuthenticateButton::setcurrentpicture(const QString& p, const QString& m)
{
    if (!p.isEmpty())
        picstate = p;
    if (!m.isEmpty())
        mousestate = m;
    repaint();
}

void AuthenticateButton::ActionMethod()
{
    // The owner's answers may run dialogs (and event loops) that close the window.
    const QPointer<AuthenticateButton> alive(this);
    if (!Authenticated) {
        setStatus(authenticatingText);
        repaint();
        if (statusfield)
            statusfield->repaint();
        if (!(Authenticate && Authenticate()) || !alive)
            return;
    }
    Authenticated = !Authenticated;
    if (CancelChange && CancelChange(Authenticated)) {
        if (alive)
            Authenticated = !Authenticated;
        return;
    }
    if (!alive)
        return;
    animate();
    if (!alive)
        return;
    setOriginalPicture();
    if (Change)
        Change(!Authenticated);
}

bool AuthenticateButton::withinMe(int x, int y) const
{
    return x > 0 && x < width() && y > 0 && y < height();
}

void AuthenticateButton::setOriginalPicture()
{
    setcurrentpicture(Authenticated ? QStringLiteral("open") : QStringLiteral("locked"), QStringLiteral("standard"));
    setStatus(Authenticated ? openText : closedText);
}

void AuthenticateButton::animate()
{
    const QPointer<AuthenticateButton> alive(this);
    const bool opening = Authenticated;
    animating = true;
    for (int step = 1; step <= frameCount; ++step) {
        waitOneTick();
        if (!alive)
            return;
        const int frame = opening ? step : frameCount + 1 - step;
        setcurrentpicture(QStringLiteral("animation"), twoDigits(frame));
    }
    playSound(opening ? openingSound : closingSound);
    animating = false;
}

void AuthenticateButton::bind(QObject* control, QLabel* statusText)
{
    if (control == this)
        statusfield = statusText;
}

void AuthenticateButton::setStatus(const QString& text)
{
    if (statusfield)
        statusfield->setText(text);
}

void AuthenticateButton::playSound(const QString& name)
{
    const auto sound = sounds.value(name);
    if (sound)
        sound();
}

void AuthenticateButton::setSounds()
{
    sounds.clear();
    for (const QString& name : {openingSound, closingSound}) {
        if (auto sound = loadSound(lockSoundFile(name)))
            sounds.insert(name, sound);
    }
}

void AuthenticateButton::forceStatus(bool locked)
{
    Authenticated = !locked;
    setOriginalPicture();
}

void AuthenticateButton::setPicturesFolder(const QString& folder)
{
    picturesFolderOverride() = folder;
}

QString AuthenticateButton::picturesFolder()
{
    const QString& folder = picturesFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/Resources") : folder;
}

QString AuthenticateButton::lockSoundFile(const QString& name)
{
    QString path = soundFolder + name;
    path.replace(QLatin1Char(':'), QLatin1Char('/'));
    return SystemPaths::resolve(QStringLiteral("/System/") + path);
}

void AuthenticateButton::setTickWait(std::function<void()> wait)
{
    tickWaitOverride() = std::move(wait);
}

void AuthenticateButton::waitOneTick()
{
    if (const auto& wait = tickWaitOverride()) {
        wait();
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.nsecsElapsed() < tickNanoseconds) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}

void AuthenticateButton::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    const QImage picture = pix.value(picstate + QLatin1Char('_') + mousestate);
    if (picture.isNull()) {
        QApplication::beep();
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture, pictureArea);
}

void AuthenticateButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();  // keeps the mouse: drag and release follow here
    if (animating)
        return;
    mousedown = true;
    setcurrentpicture({}, QStringLiteral("pressed"));
}

void AuthenticateButton::mouseMoveEvent(QMouseEvent* event)
{
    if (animating || !mousedown)
        return;
    const QPoint at = event->position().toPoint();
    setcurrentpicture({}, withinMe(at.x(), at.y()) ? QStringLiteral("pressed") : QStringLiteral("standard"));
}

void AuthenticateButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (animating)
        return;
    setcurrentpicture({}, QStringLiteral("standard"));
    const QPoint at = event->position().toPoint();
    const bool clicked = withinMe(at.x(), at.y()) && mousedown;
    mousedown = false;
    if (clicked)
        ActionMethod();
}

void AuthenticateButton::enterEvent(QEnterEvent* event)
{
    Q_UNUSED(event);
    if (!animating)
        setcurrentpicture({}, mousedown ? QStringLiteral("pressed") : QStringLiteral("rollover"));
}

void AuthenticateButton::leaveEvent(QEvent* event)
{
    Q_UNUSED(event);
    if (!animating)
        setcurrentpicture({}, QStringLiteral("standard"));
}
