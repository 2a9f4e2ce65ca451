#pragma once

#include <QImage>
#include <QList>
#include <QListWidget>
#include <memory>

class NightfoldUser;

// The users drawer's list: one 48-pixel row per user, the user's picture at
// 5, 5 of the row and the full name 60 pixels in.
class UserBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 48;
    static constexpr int textIndent = 60;
    static constexpr QPoint pictureOffset{5, 5};

    explicit UserBox(QWidget* parent = nullptr);

    // Entry k is the picture of row k.
    QList<QImage> userPictures;

    // Appends a row for each user from index 1 (slot 0 holds no user).
    void Load(const QList<std::shared_ptr<NightfoldUser>>& users);

protected:
    // A click below the last row clears the selection.
    void mousePressEvent(QMouseEvent* event) override;
};
