#include "SystemAuthorizationServices.h"

#include "AuthorizationHelperClient.h"
#include "AuthorizationHelperPolicy.h"
#include "SystemAuthorizationShell.h"

#include <QCoreApplication>
#include <QProcess>
#include <unistd.h>

namespace {
std::vector<std::string> words(const QString& tool, const QStringList& arguments)
{
    std::vector<std::string> all{tool.toUtf8().toStdString()};
    for (const QString& argument : arguments)
        all.push_back(argument.toUtf8().toStdString());
    return all;
}
}  // namespace

SystemAuthorizationServices::SystemAuthorizationServices(QStringList launcher, bool runDirectly)
    : m_launcher(std::move(launcher)), m_runDirectly(runDirectly)
{
}

SystemAuthorizationServices::~SystemAuthorizationServices() = default;

std::unique_ptr<SystemAuthorizationServices> SystemAuthorizationServices::forThisProgram()
{
    const QString helper = QCoreApplication::applicationDirPath() + QLatin1Char('/') + helperName();
    return std::make_unique<SystemAuthorizationServices>(QStringList{QStringLiteral("/usr/bin/pkexec"), helper}, geteuid() == 0);
}

std::unique_ptr<AuthorizationShell> SystemAuthorizationServices::newShell()
{
    return std::make_unique<SystemAuthorizationShell>(*this);
}

void SystemAuthorizationServices::freeAuthorization(qint64 reference)
{
    // The helper ends when its client goes, and the rights with it.
    m_held.erase(reference);
}

qint64 SystemAuthorizationServices::create()
{
    std::unique_ptr<AuthorizationHelperClient> helper;
    if (!m_runDirectly) {
        helper = std::make_unique<AuthorizationHelperClient>();
        if (!helper->start(m_launcher))
            return 0;
    }
    const qint64 reference = m_next++;
    m_held.emplace(reference, std::move(helper));
    return reference;
}

bool SystemAuthorizationServices::run(qint64 reference, const QString& tool, const QStringList& arguments, QString& output)
{
    output.clear();
    const auto held = m_held.find(reference);
    if (held == m_held.end())
        return false;
    if (!held->second)
        return runHere(tool, arguments, output);
    const auto response = held->second->run(tool, arguments);
    if (!response) {
        // The helper is gone: nothing more runs under this authorization.
        m_held.erase(held);
        return false;
    }
    if (response->status != AuthorizationHelperProtocol::Status::Executed)
        return false;
    output = QString::fromUtf8(response->payload.data(), static_cast<qsizetype>(response->payload.size()));
    return true;
}

bool SystemAuthorizationServices::runHere(const QString& tool, const QStringList& arguments, QString& output)
{
    if (!AuthorizationHelperPolicy::allows(words(tool, arguments)))
        return false;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(tool, arguments);
    if (!process.waitForStarted(-1))
        return false;
    process.waitForFinished(-1);
    output = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}
