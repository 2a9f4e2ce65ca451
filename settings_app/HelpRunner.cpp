#include "HelpRunner.h"

#include "AppDebugLog.h"
#include "SettingsMethods.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {
QString g_book;

// The classic "file not found" error, for a help folder without its start page.
constexpr int kFileNotFound = -43;

const QString kStartPage = QStringLiteral("index.html");

void report(const QString& message) { App::DebugLog(message); }

QString helpFolder() { return Methods::applicationFolder() + QStringLiteral("/Help"); }

// A page of the book, never a file outside its folder.
QString pageFile(const QString& book, const QString& page)
{
    const QString folder = QFileInfo(book).absolutePath();
    const QString file = QDir::cleanPath(folder + QLatin1Char('/') + (page.isEmpty() ? kStartPage : page));
    return file.startsWith(folder + QLatin1Char('/')) ? file : QString();
}
}  // namespace

namespace HelpRunner {
void RegisterHelpMachO()
{
    g_book.clear();
    if (!QFileInfo(Methods::applicationFolder()).isDir()) {
        report(QStringLiteral("Help was not successfully registered."));
        return;
    }
    // An application without a help folder has no book to register.
    if (!QFileInfo(helpFolder()).isDir())
        return;
    const QString book = helpFolder() + QLatin1Char('/') + kStartPage;
    if (!QFileInfo(book).isFile()) {
        report(QStringLiteral("Help was not successfully registered (OS error %1).").arg(kFileNotFound));
        return;
    }
    g_book = book;
}

void OpenHelpMachO(const QString& page, const QString& anchor)
{
    const QString file = g_book.isEmpty() ? QString() : pageFile(g_book, page);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        report(QStringLiteral("Unable to locate the help files."));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    if (!QDesktopServices::openUrl(url))
        report(QStringLiteral("Unable to locate the help files."));
}

QString registeredBook() { return g_book; }
void reset() { g_book.clear(); }
}  // namespace HelpRunner
