#include "PassLock.h"

#include "Clock.h"
#include "SystemPaths.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kLockFile = QStringLiteral("/var/run/NightfoldAgent.lock");
}

PassLock::PassLock() : m_path(SystemPaths::resolve(kLockFile)), m_lockFile(m_path)
{
    // A lock left by a pass that died is taken over at once (its process is
    // gone); one whose pass still lives only after kStaleAfterMs.
    m_lockFile.setStaleLockTime(kStaleAfterMs);
}

bool PassLock::acquire()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    for (int waited = 0;; ++waited) {
        if (m_lockFile.tryLock(0))
            return true;
        if (m_lockFile.error() != QLockFile::LockFailedError)
            return true;
        if (waited >= kWaitSeconds)
            return false;
        Clock::wait(1000);
    }
}

void PassLock::release() { m_lockFile.unlock(); }
