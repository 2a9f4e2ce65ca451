#include "SimGuiMachine.h"

#include "Clock.h"
#include "SettingsMethods.h"
#include "SimFileSystem.h"
#include "SystemPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

const QString SimGuiMachine::applicationFolder = QStringLiteral("/Applications/Nightfold");

SimGuiMachine::~SimGuiMachine()
{
    if (m_open)
        close();
}

QString SimGuiMachine::open()
{
    SystemPaths::setRoot(m_folder);
    const QString error = m_machine.load(m_folder);
    if (!error.isEmpty()) {
        SystemPaths::setRoot(QStringLiteral("/"));
        return error;
    }
    m_open = true;
    m_machine.prepareFolders();
    SystemPaths::setTemporaryFolder(QStringLiteral("/tmp"));
    m_machine.setPromptAnswer(PromptAnswer::Accept);
    m_machine.setAgentPass([this] { runAgentPass(); });
    m_machine.install();
    prepareApplicationFolder();
    Methods::setApplicationFolder(SimFileSystem::realPath(applicationFolder));
    return {};
}

QString SimGuiMachine::close()
{
    if (!m_open)
        return {};
    m_open = false;
    const QString error = m_machine.save(m_folder);
    m_machine.uninstall();
    SystemPaths::setRoot(QStringLiteral("/"));
    return error;
}

// The agent's folder beside the application is the installed one as init laid
// it down, dated like it: an equal date is not an outdated agent.
void SimGuiMachine::prepareApplicationFolder()
{
    const QString shipped = applicationFolder + QStringLiteral("/NightfoldStartup");
    if (SimFileSystem::exists(shipped) || !SimFileSystem::isFolder(SystemPaths::installedFolder))
        return;
    if (!SimFileSystem::makeFolders(applicationFolder)
        || !SimFileSystem::copy(SystemPaths::installedFolder, shipped, true).isEmpty())
        return;
    const QDateTime installed = QFileInfo(SimFileSystem::realPath(SystemPaths::installedAgent)).lastModified();
    QFile fresh(SimFileSystem::realPath(shipped + QStringLiteral("/NightfoldAgent")));
    if (installed.isValid() && fresh.open(QIODevice::Append))
        fresh.setFileTime(installed, QFileDevice::FileModificationTime);
}

// The child reads and writes the machine's files: hand it this machine's state
// and take back what the pass did to it.
void SimGuiMachine::runAgentPass()
{
    QTextStream err(stderr);
    const QString saveError = m_machine.save(m_folder);
    if (!saveError.isEmpty()) {
        err << "nightfold-sim: no agent pass: " << saveError << Qt::endl;
        return;
    }
    QProcess pass;
    pass.setProcessChannelMode(QProcess::ForwardedChannels);
    pass.start(m_program, {QStringLiteral("pass"), m_folder, QStringLiteral("--at"), Clock::now().toText()});
    if (!pass.waitForFinished(-1) || pass.exitStatus() != QProcess::NormalExit)
        err << "nightfold-sim: the agent pass did not finish: " << pass.errorString() << Qt::endl;
    const QString loadError = m_machine.load(m_folder);
    if (!loadError.isEmpty())
        err << "nightfold-sim: after the agent pass: " << loadError << Qt::endl;
}
