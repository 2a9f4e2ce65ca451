#include "UserClass.h"

#include "StringStuff.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QFileInfo>
#include <QPainter>

namespace {
std::function<QImage()>& applicationPicture()
{
    static std::function<QImage()> picture;
    return picture;
}

QString normalisedLineEnds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString withoutLeadingWhiteSpace(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    return text.mid(i);
}

QImage drawnAt48(const QImage& source)
{
    QImage picture(48, 48, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, 48, 48), source);
    return picture;
}

QImage loaded(const QString& systemPath)
{
    if (systemPath.isEmpty())
        return {};
    const QString real = SystemPaths::resolve(systemPath);
    if (!QFileInfo(real).isFile())
        return {};
    return QImage(real);
}
}  // namespace

UserClass::UserClass(const QString& recordText)
{
    Properties.emplace();
    const QString colon = QStringLiteral(":");
    for (const QString& line : normalisedLineEnds(recordText).split(QLatin1Char('\n'))) {
        const QString key = StringStuff::GetBefore(line, colon);
        const QString value = withoutLeadingWhiteSpace(StringStuff::GetAfter(line, colon));
        Properties->set(key, value);
        if (TextCompare::same(key, QStringLiteral("realname")))
            RealName = value;
        else if (TextCompare::same(key, QStringLiteral("picture")))
            Picture = value;
        else if (TextCompare::same(key, QStringLiteral("hint")))
            PasswordHint = value;
        else if (TextCompare::same(key, QStringLiteral("uid")))
            UID = value;
        else if (TextCompare::same(key, QStringLiteral("gid")))
            GID = value;
        else if (TextCompare::same(key, QStringLiteral("name")))
            Name = value;
        else if (TextCompare::same(key, QStringLiteral("shell")))
            Shell = value;
        else if (TextCompare::same(key, QStringLiteral("home")))
            Home = value.endsWith(QLatin1Char('/')) ? value : value + QLatin1Char('/');
    }
}

QString UserClass::GetValue(const QString& key) const
{
    return Properties ? Properties->valueOr(key) : QString();
}

QString UserClass::truncatedName() const
{
    // Eight characters, never half of a surrogate pair.
    qsizetype end = 0;
    for (int characters = 0; characters < 8 && end < Name.size(); ++characters)
        end += Name[end].isHighSurrogate() && end + 1 < Name.size() && Name[end + 1].isLowSurrogate() ? 2 : 1;
    return Name.left(end);
}

QImage UserClass::GetPicture()
{
    // The stamped copy is ours; draw the account's own picture instead.
    if (Properties && Properties->has(QStringLiteral("old_picture")) && TextCompare::contains(Picture, QStringLiteral("Nightfold")))
        Picture = Properties->value(QStringLiteral("old_picture"));

    const QImage own = loaded(Picture);
    if (!own.isNull())
        return drawnAt48(own);

    if (applicationPicture())
        return applicationPicture()();

    const QImage blank = loaded(SystemPaths::programFolder() + QStringLiteral("/Images/BlankUser.pict"));
    if (!blank.isNull())
        return drawnAt48(blank);
    QImage tiny(1, 1, QImage::Format_Mono);
    tiny.fill(0);
    return tiny;
}

QImage UserClass::ScaledPicture()
{
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, 32, 32), GetPicture(), QRect(0, 0, 48, 48));
    return picture;
}

void UserClass::setApplicationPicture(std::function<QImage()> picture) { applicationPicture() = std::move(picture); }
