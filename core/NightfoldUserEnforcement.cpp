#include "NightfoldUser.h"

#include "AppDebugLog.h"
#include "Clock.h"
#include "CommandRunner.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "GetUsers.h"
#include "Methods.h"
#include "Schedule.h"
#include "StringStuff.h"
#include "SystemPaths.h"
#include "TextCompare.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryFile>

#include <cstdio>

// What the agent does to an account, its login and the machine. Every change
// is a command line run as root; only the stamped picture is a file.
namespace {
using StringStuff::Quote;

const QString kSuspendToLoginWindow =
    QStringLiteral("\"/System/Library/CoreServices/Menu Extras/User.menu/Contents/Resources/CGSession\" -suspend");
const QString kFrontApplicationName = QStringLiteral(
    "/usr/bin/osascript -e 'tell application \"Finder\" to return name of first process whose frontmost is true and visible is true'");
const QString kLockedPassword = QStringLiteral("uauudt_lmk");

[[noreturn]] void fail(const QString& message) { throw RuntimeError(RuntimeError::Kind::Other, message); }

void runAndClose(const QString& commandLine)
{
    auto runner = CommandRunner::create();
    runner->Execute(commandLine);
    runner->Close();
}

// The short name goes onto command lines bare; the account reader admits only
// safe names, and nothing else is ever put there.
QString shortName(const NightfoldUser& user)
{
    if (!GetUsers::isSafeShortName(user.Name))
        fail(QStringLiteral("unsafe account name ") + Quote(user.Name));
    return user.Name;
}

QString truncatedShortName(const NightfoldUser& user) { return shortName(user).left(8); }

QString recordPath(const NightfoldUser& user) { return QStringLiteral("/users/") + shortName(user); }

QString setProperty(const NightfoldUser& user, const QString& key, const QString& value)
{
    return QStringLiteral("niutil -createprop . ") + recordPath(user) + QLatin1Char(' ') + key + QLatin1Char(' ') + Quote(value);
}

QString removeProperty(const NightfoldUser& user, const QString& key)
{
    return QStringLiteral("niutil -destroyprop . ") + recordPath(user) + QLatin1Char(' ') + key;
}

// A property the record lacks is an error, as reading it always was.
QString recordValue(const NightfoldUser& user, const QString& key)
{
    if (!user.Properties)
        throw RuntimeError(RuntimeError::Kind::NilObject, QStringLiteral("no account record"));
    return user.Properties->value(key);
}

void markLoggedOut()
{
    EasyPrefs::SetPrefBoolean(QStringLiteral("justLoggedOut"), true);
    Methods::SaveSettings(true);
}

QString helperBesideProgram(const QString& name) { return SystemPaths::programFolder() + QLatin1Char('/') + name; }

// The padlock.

QImage readImage(const QString& systemPath)
{
    QImageReader reader(SystemPaths::resolve(systemPath));
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        fail(QStringLiteral("cannot read ") + systemPath + QStringLiteral(": ") + reader.errorString());
    return image;
}

// The mask decides what of the icon shows: black shows it, white hides it.
QImage maskedPadlock()
{
    const QString images = helperBesideProgram(QStringLiteral("Images"));
    QImage icon = readImage(images + QStringLiteral("/LockIcon.pict")).convertToFormat(QImage::Format_ARGB32);
    const QImage mask = readImage(images + QStringLiteral("/LockMask.pict"));
    for (int y = 0; y < qMin(icon.height(), mask.height()); ++y) {
        for (int x = 0; x < qMin(icon.width(), mask.width()); ++x) {
            QColor colour = icon.pixelColor(x, y);
            colour.setAlpha(colour.alpha() * (255 - qGray(mask.pixel(x, y))) / 255);
            icon.setPixelColor(x, y, colour);
        }
    }
    return icon;
}

// The padlock sits in the lower left corner. JPEG keeps no transparency, so
// the picture lies on white.
QImage withPadlock(const QImage& picture)
{
    const QImage padlock = maskedPadlock();
    QImage stamped(picture.size(), QImage::Format_RGB32);
    stamped.fill(Qt::white);
    QPainter painter(&stamped);
    painter.drawImage(0, 0, picture);
    painter.drawImage(0, picture.height() - padlock.height(), padlock);
    painter.end();
    return stamped;
}

// Users can write into these folders; a link planted there is never followed.
void preparePictureFolders()
{
    for (const QString& folder :
         {SystemPaths::applicationSupportFolder, SystemPaths::nightfoldSupportFolder, SystemPaths::userPicturesFolder}) {
        if (QFileInfo(SystemPaths::resolve(folder)).isSymLink())
            fail(folder + QStringLiteral(" is a link"));
    }
    if (!QDir().mkpath(SystemPaths::resolve(SystemPaths::userPicturesFolder)))
        fail(QStringLiteral("cannot create ") + SystemPaths::userPicturesFolder);
}

// Written to a new file and renamed over the target, so whatever a user put
// at the target path is replaced, never written through.
QString saveStampedPicture(const QImage& picture, const QString& name)
{
    preparePictureFolders();
    const QString target = SystemPaths::userPicturesFolder + QLatin1Char('/') + name;
    QTemporaryFile temporary(SystemPaths::resolve(SystemPaths::userPicturesFolder) + QStringLiteral("/.") + name + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        fail(QStringLiteral("cannot create a picture file: ") + temporary.errorString());
    if (!picture.save(&temporary, "JPEG") || !temporary.flush())
        fail(QStringLiteral("cannot write a picture file: ") + temporary.errorString());
    // The login window and the settings application read it.
    temporary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    temporary.close();
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(SystemPaths::resolve(target)).constData()) != 0)
        fail(QStringLiteral("cannot replace ") + target);
    temporary.setAutoRemove(false);
    return target;
}

// Blanks, tabs and line ends only: any other character may end an
// application's name, and a name cut short would close nothing.
QString withoutBlanksAround(const QString& output)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype first = 0;
    qsizetype end = output.size();
    while (first < end && isBlank(output[first]))
        ++first;
    while (end > first && isBlank(output[end - 1]))
        --end;
    return output.mid(first, end - first);
}

bool isStampedPicture(const QString& picture) { return TextCompare::contains(picture, QStringLiteral("Nightfold")); }
}  // namespace

void NightfoldUser::Lock()
{
    handled("NightfoldUser.Lock", [&] {
        if (isAdmin || !Enabled)
            return;
        if (!Today->keepLocked(*this))
            return;
        if (LockedOut) {
            // Still at the machine on a locked account: out, whatever the action.
            if (Active)
                LogOut();
            return;
        }
        App::DebugLog(QStringLiteral("Locking user ") + Quote(RealName) + QStringLiteral("..."));
        Stamp();
        QStringList commands;
        if (Methods::isJaguar()) {
            commands << setProperty(*this, QStringLiteral("old_passwd"), recordValue(*this, QStringLiteral("passwd")))
                     << setProperty(*this, QStringLiteral("passwd"), kLockedPassword);
        } else {
            commands << setProperty(*this, QStringLiteral("old_authority"), recordValue(*this, QStringLiteral("authentication_authority")))
                     << removeProperty(*this, QStringLiteral("authentication_authority"));
        }
        auto runner = CommandRunner::create();
        for (const QString& command : commands)
            runner->Execute(command);
        runner->Close();
        LockedOut = true;
        if (LoggedIn)
            Today->TakeAction(*this);
    });
}

void NightfoldUser::Restore()
{
    handled("NightfoldUser.Restore", [&] {
        if (!LockedOut)
            return;
        if (Enabled && Today->keepLocked(*this))
            return;
        App::DebugLog(QStringLiteral("Restoring user ") + Quote(RealName) + QStringLiteral("..."));
        Unstamp();
        const QString command = Methods::isJaguar()
            ? setProperty(*this, QStringLiteral("passwd"), recordValue(*this, QStringLiteral("old_passwd")))
            : setProperty(*this, QStringLiteral("authentication_authority"), recordValue(*this, QStringLiteral("old_authority")));
        runAndClose(command);
        LockedOut = false;
    });
}

// A picture that cannot be stamped never stands in the way of the lock.
void NightfoldUser::Stamp()
{
    try {
        if (isStampedPicture(Picture))
            return;
        const QImage picture = GetPicture();
        if (picture.isNull())
            return;
        runAndClose(setProperty(*this, QStringLiteral("old_picture"), Picture));
        const QString stampedFile = saveStampedPicture(withPadlock(picture), shortName(*this));
        runAndClose(setProperty(*this, QStringLiteral("picture"), stampedFile));
    } catch (...) {
    }
}

void NightfoldUser::Unstamp()
{
    try {
        if (!isStampedPicture(Picture))
            return;
        // With no saved picture only our own stamped copy goes (the account
        // then shows the fallback picture): a picture of the user's that
        // merely has "Nightfold" in its path stays his.
        const bool saved = Properties && Properties->has(QStringLiteral("old_picture"));
        if (!saved && !Picture.startsWith(SystemPaths::userPicturesFolder + QLatin1Char('/')))
            return;
        runAndClose(removeProperty(*this, QStringLiteral("picture")));
        runAndClose(setProperty(*this, QStringLiteral("picture"), recordValue(*this, QStringLiteral("old_picture"))));
    } catch (...) {
    }
}

void NightfoldUser::LogOut()
{
    handled("NightfoldUser.LogOut", [&] {
        if (!LoggedIn)
            return;
        App::DebugLog(QStringLiteral("Logging out user ") + Quote(Name) + QStringLiteral("..."));
        markLoggedOut();
        // Ends the account's own login window process, and with it the login.
        runAndClose(QStringLiteral("kill `ps -axuc | awk '/loginw/{print $2, $1, $11}' | awk '$2 == \"") + truncatedShortName(*this)
                    + QStringLiteral("\" {print $1}'`"));
        Active = false;
        LoggedIn = false;
    });
}

void NightfoldUser::SwitchOut()
{
    handled("NightfoldUser.SwitchOut", [&] {
        if (!Active)
            return;
        App::DebugLog(QStringLiteral("Switching out user ") + Quote(Name) + QStringLiteral("..."));
        markLoggedOut();
        killNightfold();
        runAndClose(kSuspendToLoginWindow);
        Active = false;
        LoggedIn = true;
        Clock::wait(5000);
        if (Methods::isLoginWindowOpen())
            return;
        // The switch did not take: something in front refused. Close it, try once more.
        const auto front = Methods::getCurrentUser();
        if (front && TextCompare::same(front->Name, Name)) {
            killFrontmostApplication();
            runAndClose(kSuspendToLoginWindow);
        }
    });
}

void NightfoldUser::Restart()
{
    handled("NightfoldUser.Restart", [&] {
        runAndClose(QStringLiteral("/usr/bin/users | /usr/bin/grep -qwF ") + truncatedShortName(*this) + QStringLiteral(" && /sbin/reboot"));
    });
}

void NightfoldUser::Shutdown()
{
    handled("NightfoldUser.Shutdown", [&] {
        App::DebugLog(QStringLiteral("Shutting down..."));
        runAndClose(QStringLiteral("/usr/bin/users | /usr/bin/grep -qwF ") + truncatedShortName(*this)
                    + QStringLiteral(" && /sbin/shutdown -h +0"));
    });
}

void NightfoldUser::DozeOff()
{
    handled("NightfoldUser.DozeOff", [&] {
        const QString helper = helperBesideProgram(QStringLiteral("DozeOff"));
        if (!QFileInfo::exists(SystemPaths::resolve(helper)))
            return;
        // Left to end with the routine, as the pass has always done.
        auto runner = CommandRunner::create();
        runner->Execute(Quote(helper));
    });
}

void NightfoldUser::DisplayWarning(const QString&)
{
    handled("NightfoldUser.DisplayWarning", [&] {
        if (!Active)
            return;
        App::DebugLog(QStringLiteral("Warning displayed for ") + Quote(Name));
        runAndClose(QStringLiteral("/usr/bin/open ") + SystemPaths::warningApplication);
    });
}

void NightfoldUser::killFrontmostApplication()
{
    App::DebugLog(QStringLiteral("Killing frontmost application for ") + Quote(RealName));
    auto runner = CommandRunner::create();
    runner->Execute(kFrontApplicationName);
    const QString application = withoutBlanksAround(runner->Result());
    runner->Execute(QStringLiteral("killall -u ") + shortName(*this) + QLatin1Char(' ') + Quote(application));
    runner->Close();
}

void NightfoldUser::killNightfold() { runAndClose(QStringLiteral("killall -u ") + shortName(*this) + QStringLiteral(" Nightfold")); }
