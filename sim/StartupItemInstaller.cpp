#include "StartupItemInstaller.h"

#include "SimFileSystem.h"
#include "SimulatedMachine.h"
#include "SystemPaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
bool copyShippedFiles(const QString& shippedFolder)
{
    bool copied = true;
    QDirIterator it(shippedFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = QDir(shippedFolder).relativeFilePath(source);
        if (relative == QLatin1String("NightfoldAgent") || relative == QLatin1String("DozeOff"))
            continue;
        const QString target = SystemPaths::installedFolder + QLatin1Char('/') + relative;
        QFile file(source);
        copied = SimFileSystem::makeFolders(QFileInfo(target).path()) && file.open(QIODevice::ReadOnly)
            && SimFileSystem::write(target, file.readAll()) && copied;
    }
    return copied;
}
}  // namespace

namespace StartupItemInstaller {
bool install(SimulatedMachine& machine, const QString& shippedFolder)
{
    bool done = machine.prepareFolders() && SimFileSystem::makeFolders(SystemPaths::installedFolder);
    if (QFileInfo(shippedFolder).isDir())
        done = copyShippedFiles(shippedFolder) && done;
    const QByteArray standIn("simulated program: the machine runs it itself\n");
    done = SimFileSystem::write(SystemPaths::installedAgent, standIn) && done;
    done = SimFileSystem::write(SystemPaths::installedFolder + QStringLiteral("/DozeOff"), standIn) && done;
    const QString line = QStringLiteral("*\t*\t*\t*\t*\t") + SystemPaths::installedAgent + QLatin1Char('\n');
    if (!machine.crontab(QStringLiteral("root")).contains(SystemPaths::installedAgent))
        done = machine.setCrontab(QStringLiteral("root"), machine.crontab(QStringLiteral("root")) + line) && done;
    return done;
}
}  // namespace StartupItemInstaller
