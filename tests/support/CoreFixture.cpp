#include "CoreFixture.h"

#include "AppDebugLog.h"
#include "Console.h"
#include "Globals.h"
#include "Methods.h"
#include "SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void CoreFixture::SetUp()
{
    ASSERT_TRUE(root.isValid());
    Globals::resetForNewProcess();
    Methods::setProgram(Methods::Program::Agent);
    SystemPaths::setRoot(root.path());
    SystemPaths::setProgramFolder(SystemPaths::installedFolder);
    SystemPaths::setTemporaryFolder(QStringLiteral("/tmp"));
    QDir().mkpath(SystemPaths::resolve(QStringLiteral("/tmp")));
    QDir().mkpath(SystemPaths::resolve(QStringLiteral("/etc")));
    Clock::setSource(&clock);
    shell.install();
    App::setDebugLogWriter([this](const QString& message) { debugLog.append(message); });
    Console::setSink([this](const QByteArray& line) { consoleLines.append(QString::fromUtf8(line)); });
}

void CoreFixture::TearDown()
{
    Console::setSink({});
    App::setDebugLogWriter({});
    FakeShell::uninstall();
    Clock::setSource(nullptr);
    SystemPaths::setRoot(QStringLiteral("/"));
    Globals::resetForNewProcess();
}

void CoreFixture::writeSystemFile(const QString& systemPath, const QByteArray& bytes)
{
    const QString real = SystemPaths::resolve(systemPath);
    QDir().mkpath(QFileInfo(real).absolutePath());
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray CoreFixture::readSystemFile(const QString& systemPath) const
{
    QFile file(SystemPaths::resolve(systemPath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool CoreFixture::systemFileExists(const QString& systemPath) const
{
    return QFileInfo::exists(SystemPaths::resolve(systemPath));
}
