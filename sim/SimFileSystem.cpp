#include "SimFileSystem.h"

#include "SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString baseName(const QString& systemPath)
{
    QString path = QDir::cleanPath(systemPath);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString noSuchFile(const QString& tool, const QString& systemPath)
{
    return QStringLiteral("%1: %2: No such file or directory").arg(tool, systemPath);
}

bool copyFile(const QString& from, const QString& to)
{
    if (QFileInfo(to).isDir())
        return false;
    QFile::remove(to);
    return QFile::copy(from, to);
}

bool copyFolder(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    const auto entries = source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        const bool copied = entry.isDir() ? copyFolder(entry.filePath(), target) : copyFile(entry.filePath(), target);
        if (!copied)
            return false;
    }
    return true;
}
}  // namespace

namespace SimFileSystem {
bool hasRoot() { return SystemPaths::root() != QLatin1String("/"); }

QString realPath(const QString& systemPath)
{
    if (!hasRoot() || systemPath.isEmpty())
        return {};
    const QString root = QDir::cleanPath(SystemPaths::root());
    const QString real = QDir::cleanPath(SystemPaths::resolve(systemPath));
    if (real != root && !real.startsWith(root + QLatin1Char('/')))
        return {};
    return real;
}

bool exists(const QString& systemPath)
{
    const QString real = realPath(systemPath);
    return !real.isEmpty() && QFileInfo::exists(real);
}

bool isFolder(const QString& systemPath)
{
    const QString real = realPath(systemPath);
    return !real.isEmpty() && QFileInfo(real).isDir();
}

std::optional<QByteArray> read(const QString& systemPath)
{
    QFile file(realPath(systemPath));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool write(const QString& systemPath, const QByteArray& bytes)
{
    QFile file(realPath(systemPath));
    if (file.fileName().isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

bool makeFolders(const QString& systemPath)
{
    const QString real = realPath(systemPath);
    return !real.isEmpty() && QDir().mkpath(real);
}

QString copy(const QString& source, const QString& destination, bool recursive)
{
    const QString from = realPath(source);
    if (from.isEmpty() || !QFileInfo::exists(from))
        return noSuchFile(QStringLiteral("cp"), source);
    const QFileInfo sourceInfo(from);
    if (sourceInfo.isDir() && !recursive)
        return QStringLiteral("cp: %1 is a directory (not copied).").arg(source);
    QString target = destination;
    if (isFolder(destination))
        target = QDir::cleanPath(destination + QLatin1Char('/') + baseName(source));
    const QString to = realPath(target);
    if (to.isEmpty() || to == from || !QFileInfo(QFileInfo(to).absolutePath()).isDir())
        return noSuchFile(QStringLiteral("cp"), target);
    const bool copied = sourceInfo.isDir() ? copyFolder(from, to) : copyFile(from, to);
    return copied ? QString() : QStringLiteral("cp: %1: Permission denied").arg(target);
}

QString remove(const QString& systemPath, bool recursive)
{
    const QString real = realPath(systemPath);
    if (real.isEmpty() || real == QDir::cleanPath(SystemPaths::root()))
        return QStringLiteral("rm: %1: Operation not permitted").arg(systemPath);
    const QFileInfo info(real);
    if (!info.exists() && !info.isSymLink())
        return {};
    if (info.isDir() && !info.isSymLink()) {
        if (!recursive)
            return QStringLiteral("rm: %1: is a directory").arg(systemPath);
        return QDir(real).removeRecursively() ? QString() : QStringLiteral("rm: %1: Permission denied").arg(systemPath);
    }
    return QFile::remove(real) ? QString() : QStringLiteral("rm: %1: Permission denied").arg(systemPath);
}

QString touch(const QString& systemPath)
{
    const QString real = realPath(systemPath);
    if (real.isEmpty() || !QFileInfo(QFileInfo(real).absolutePath()).isDir())
        return noSuchFile(QStringLiteral("touch"), systemPath);
    if (QFileInfo::exists(real))
        return {};
    QFile file(real);
    return file.open(QIODevice::WriteOnly) ? QString() : QStringLiteral("touch: %1: Permission denied").arg(systemPath);
}
}  // namespace SimFileSystem
