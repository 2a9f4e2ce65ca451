#pragma once

#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

// The padlock: shows an open or closed lock in three mouse states, animates
// when it opens or closes, and asks its owner through its events whether it
// may open, whether a change may stand, and tells it about the change.
class AuthenticateButton : public QWidget {
    Q_OBJECT

public:
    explicit AuthenticateButton(QWidget* parent = nullptr);

    // Events raised to the owner. An event without a handler answers false.
    std::function<bool()> Authenticate;              // true lets the padlock open
    std::function<bool(bool)> CancelChange;          // new Authenticated → true undoes the change
    std::function<void(bool locked)> Change;         // after a change that stands

    QHash<QString, QImage> pix;                      // "open_standard", "animation_01", ...
    QString picstate;                                // "open", "locked" or "animation"
    QString mousestate;                              // "standard", "rollover", "pressed" or "01".."15"
    bool mousedown = false;
    bool Authenticated = false;
    bool animating = false;
    QPointer<QLabel> statusfield;
    QHash<QString, std::function<void()>> sounds;    // "lockOpening.aif", "lockClosing.aif"

    void setPictureProps();
    void setPicProp(const QString& key, const QString& fileName);
    void setcurrentpicture(const QString& p, const QString& m);
    void ActionMethod();
    bool withinMe(int x, int y) const;
    void setOriginalPicture();
    void animate();
    void bind(QObject* control, QLabel* statusText);
    void setStatus(const QString& text);
    void playSound(const QString& name);
    void setSounds();
    void forceStatus(bool locked);

    QSize sizeHint() const override { return {33, 33}; }

    // The folder the pictures are read from: "Resources" beside the program
    // unless replaced (an empty text restores it).
    static void setPicturesFolder(const QString& folder);
    static QString picturesFolder();
    // The real file of one of the system's lock sounds.
    static QString lockSoundFile(const QString& name);
    // Replaces the wait of one animation tick (nullptr restores the real one).
    static void setTickWait(std::function<void()> wait);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    static void waitOneTick();
};
