#pragma once

#include "PropertyList.h"

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

// One account record of the directory.
class UserClass {
public:
    UserClass() = default;
    // Builds the record from the output of "niutil -read".
    explicit UserClass(const QString& recordText);
    virtual ~UserClass() = default;

    QString Picture;
    QString PasswordHint;
    QString UID;
    QString GID;
    QString RealName;
    QString Shell;
    QString Home;
    std::optional<PropertyList> Properties;
    QString Name;

    // The login picture at 48 x 48 (or the program's substitute).
    QImage GetPicture();
    QString GetValue(const QString& key) const;
    QString truncatedName() const;
    // The login picture at 32 x 32.
    QImage ScaledPicture();

    // The settings application supplies its generic user picture; without one
    // the agent's fallbacks apply (BlankUser.pict beside the agent, then 1 x 1).
    static void setApplicationPicture(std::function<QImage()> picture);
};
