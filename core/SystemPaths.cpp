#include "SystemPaths.h"

#include <QDir>

namespace {
QString g_root = QStringLiteral("/");
QString g_programFolder = SystemPaths::installedFolder;
QString g_temporaryFolder = QStringLiteral("/tmp");

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}
}  // namespace

namespace SystemPaths {
void setRoot(const QString& rootFolder) { g_root = withoutTrailingSlash(QDir::cleanPath(rootFolder)); }
QString root() { return g_root; }

QString resolve(const QString& systemPath)
{
    if (g_root == QLatin1String("/"))
        return systemPath;
    return g_root + (systemPath.startsWith(QLatin1Char('/')) ? systemPath : QLatin1Char('/') + systemPath);
}

QString toSystemPath(const QString& realPath)
{
    if (g_root == QLatin1String("/"))
        return realPath;
    if (realPath == g_root)
        return QStringLiteral("/");
    if (realPath.startsWith(g_root + QLatin1Char('/')))
        return realPath.mid(g_root.size());
    return realPath;
}

void setProgramFolder(const QString& systemPath) { g_programFolder = withoutTrailingSlash(systemPath); }
QString programFolder() { return g_programFolder; }

void setTemporaryFolder(const QString& systemPath) { g_temporaryFolder = withoutTrailingSlash(systemPath); }
QString temporaryFolder() { return g_temporaryFolder; }
}  // namespace SystemPaths
