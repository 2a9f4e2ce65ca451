#include "FuzzWorld.h"

#include "AppDebugLog.h"
#include "Console.h"
#include "Globals.h"
#include "LogText.h"
#include "Methods.h"
#include "ShellWords.h"
#include "SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

FuzzWorld& FuzzWorld::instance()
{
    static FuzzWorld world;
    return world;
}

namespace {
QString rootTemplate()
{
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    const QString folder = memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
    return folder + QStringLiteral("/nightfold-fuzz-XXXXXX");
}
}  // namespace

FuzzWorld::FuzzWorld() : m_root(rootTemplate())
{
    if (!m_root.isValid())
        fuzzFailure("cannot create a root folder");
    SystemPaths::setRoot(m_root.path());
    SystemPaths::setProgramFolder(SystemPaths::installedFolder);
    SystemPaths::setTemporaryFolder(QStringLiteral("/tmp"));
    Clock::setSource(&clock);
    // Every message the code logs must make one line once the agent writes it.
    App::setDebugLogWriter([](const QString& message) {
        for (const QChar c : LogText::oneLine(message))
            fuzzCheck(c.unicode() >= 0x20 && c != QChar(0x2028) && c != QChar(0x2029), "a log message breaks its line", message);
    });
    Console::setSink([](const QByteArray&) {});
}

void FuzzWorld::startProcess()
{
    Globals::resetForNewProcess();
    Methods::setProgram(Methods::Program::Agent);
    clock.set(LocalDateTime::fromParts(2026, 12, 11, 20, 30, 0));
    m_shell = std::make_unique<FakeShell>();
    m_shell->install();
    QDir(m_root.path()).removeRecursively();
    QDir().mkpath(SystemPaths::resolve(QStringLiteral("/etc")));
    QDir().mkpath(SystemPaths::resolve(QStringLiteral("/tmp")));
}

void FuzzWorld::writeSystemFile(const QString& systemPath, const QByteArray& bytes)
{
    const QString real = SystemPaths::resolve(systemPath);
    QDir().mkpath(QFileInfo(real).absolutePath());
    QFile file(real);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fuzzFailure("cannot write a system file", systemPath);
}

QByteArray FuzzWorld::readSystemFile(const QString& systemPath) const
{
    QFile file(SystemPaths::resolve(systemPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FuzzWorld::removeSystemFile(const QString& systemPath) { QFile::remove(SystemPaths::resolve(systemPath)); }

void FuzzWorld::answerDirectory(const QString& listing, const QList<QPair<QString, QString>>& records)
{
    m_shell->answer(QStringLiteral("niutil -list . /users"), listing);
    for (const auto& account : records) {
        const QString command = QStringLiteral("niutil -read . /users/") + account.first;
        const QString record = account.second;
        m_shell->answer(command, [command, record](const QString& line) { return line == command ? record : QString(); });
    }
    m_shell->answer(QStringLiteral("sw_vers"), QStringLiteral("ProductName:\tMac OS X\nProductVersion:\t10.3.9\nBuildVersion:\t7W98\n"));
}

void fuzzFailure(const char* what, const QString& detail)
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", what);
    std::fprintf(stderr, "  \"%s\"\n", LogText::oneLine(detail).left(2000).toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

QStringList fuzzSections(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList sections;
    for (const QByteArray& part : bytes.split('\0'))
        sections.append(QString::fromUtf8(part));
    return sections;
}

bool splitsIntoPlainWords(const QString& commandLine, QStringList& words)
{
    const auto split = ShellWords::split(commandLine);
    if (!split)
        return false;
    words = *split;
    return true;
}
