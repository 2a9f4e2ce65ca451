#include "PrivilegedTools.h"

#include "SimFileSystem.h"
#include "SystemPaths.h"

namespace {
// Leading option words made only of the given letters; the rest are operands.
std::optional<QString> takeFlags(QStringList& arguments, const QString& allowed)
{
    QString flags;
    while (!arguments.isEmpty() && arguments.constFirst().startsWith(QLatin1Char('-'))) {
        const QString word = arguments.takeFirst().mid(1);
        for (const QChar c : word) {
            if (!allowed.contains(c))
                return std::nullopt;
        }
        if (word.isEmpty())
            return std::nullopt;
        flags += word;
    }
    return flags;
}

PrivilegedTools::Outcome failed(const QString& error) { return {true, QString(), error}; }
}  // namespace

std::optional<PrivilegedTools::Outcome> PrivilegedTools::run(const QString& tool, const QStringList& arguments)
{
    if (tool == QLatin1String("/bin/echo"))
        return Outcome{true, arguments.join(QLatin1Char(' ')) + QLatin1Char('\n'), {}};
    if (tool == QLatin1String("/bin/cp"))
        return copy(arguments);
    if (tool == QLatin1String("/bin/rm"))
        return remove(arguments);
    if (tool == QLatin1String("/usr/sbin/chown"))
        return recordAttribute(m_state.fileOwners, QStringLiteral("chown"), arguments);
    if (tool == QLatin1String("/usr/sbin/chmod"))
        return recordAttribute(m_state.fileModes, QStringLiteral("chmod"), arguments);
    if (tool == QLatin1String("/usr/bin/killall") && arguments == QStringList{QStringLiteral("NightfoldAgent")}) {
        if (m_state.killAgents() == 0)
            return failed(QStringLiteral("No matching processes were found"));
        return Outcome{};
    }
    if (tool == QLatin1String("/bin/cat") && arguments.size() == 1) {
        const auto bytes = SimFileSystem::read(arguments[0]);
        if (!bytes)
            return failed(QStringLiteral("cat: %1: No such file or directory").arg(arguments[0]));
        return Outcome{true, QString::fromUtf8(*bytes), {}};
    }
    if (tool == QLatin1String("/usr/bin/touch") && arguments.size() == 1)
        return failed(SimFileSystem::touch(arguments[0]));
    if (tool == SystemPaths::installedAgent && arguments.isEmpty()) {
        if (!m_runAgent())
            return Outcome{false, QString(), QStringLiteral("%1: No such file or directory").arg(tool)};
        return Outcome{};
    }
    return std::nullopt;
}

std::optional<PrivilegedTools::Outcome> PrivilegedTools::copy(const QStringList& arguments)
{
    QStringList operands = arguments;
    const auto flags = takeFlags(operands, QStringLiteral("fRr"));
    if (!flags || operands.size() != 2)
        return std::nullopt;
    const bool recursive = flags->contains(QLatin1Char('R')) || flags->contains(QLatin1Char('r'));
    return failed(SimFileSystem::copy(operands[0], operands[1], recursive));
}

std::optional<PrivilegedTools::Outcome> PrivilegedTools::remove(const QStringList& arguments)
{
    QStringList operands = arguments;
    const auto flags = takeFlags(operands, QStringLiteral("fRr"));
    if (!flags || operands.isEmpty())
        return std::nullopt;
    const bool recursive = flags->contains(QLatin1Char('R')) || flags->contains(QLatin1Char('r'));
    const bool force = flags->contains(QLatin1Char('f'));
    QStringList errors;
    for (const QString& path : operands) {
        if (!force && !SimFileSystem::exists(path))
            errors.append(QStringLiteral("rm: %1: No such file or directory").arg(path));
        else if (const QString error = SimFileSystem::remove(path, recursive); !error.isEmpty())
            errors.append(error);
    }
    return failed(errors.join(QLatin1Char('\n')));
}

std::optional<PrivilegedTools::Outcome> PrivilegedTools::recordAttribute(QMap<QString, QString>& attributes, const QString& tool,
                                                                         const QStringList& arguments)
{
    // chown/chmod [-R] VALUE PATH: only noted, never applied to real files.
    QStringList operands = arguments;
    const auto flags = takeFlags(operands, QStringLiteral("R"));
    if (!flags || operands.size() != 2)
        return std::nullopt;
    if (!SimFileSystem::exists(operands[1]))
        return failed(QStringLiteral("%1: %2: No such file or directory").arg(tool, operands[1]));
    attributes.insert(operands[1], operands[0]);
    return Outcome{};
}
