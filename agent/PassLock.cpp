#include "PassLock.h"

#include "Clock.h"
#include "SystemPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QString kLockFile = QStringLiteral("/var/run/NightfoldAgent.lock");

// Held for the few file operations of taking or giving back the lock. Without
// a gate file the passes go on without the gate.
class Gate {
public:
    explicit Gate(const QString& path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~Gate()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

private:
    int m_fd;
};

qint64 ownProcessId() { return static_cast<qint64>(::getpid()); }

// The process id on the lock file's first line, counted only with its line
// end (a line cut short may name some other process); 0 when there is none.
qint64 holderOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = file.readLine(32);
    bool ok = false;
    const qint64 id = line.endsWith('\n') ? line.trimmed().toLongLong(&ok) : 0;
    return ok && id > 0 ? id : 0;
}

bool processLives(qint64 id) { return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM; }

// The lock's age on the file's own clock, the real one.
bool heldTooLong(const QString& path)
{
    return QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime()) > PassLock::kStaleAfterMs;
}
}  // namespace

PassLock::PassLock() : m_path(SystemPaths::resolve(kLockFile)) {}

PassLock::~PassLock() { release(); }

bool PassLock::acquire()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    for (int waited = 0;; ++waited) {
        if (tryToTake() != Attempt::HeldByAnother)
            return true;
        if (waited >= kWaitSeconds)
            return false;
        Clock::wait(1000);
    }
}

// A lock naming a process that has ended, or no process (its pass died while
// writing it), is taken over at once; one whose pass still lives only after
// kStaleAfterMs.
PassLock::Attempt PassLock::tryToTake()
{
    const Gate gate(m_path + QStringLiteral(".gate"));
    const qint64 holder = holderOf(m_path);
    if (holder != 0 && processLives(holder) && !heldTooLong(m_path))
        return Attempt::HeldByAnother;
    QFile file(m_path);
    const QByteArray id = QByteArray::number(ownProcessId()) + '\n';
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(id) != id.size() || !file.flush()) {
        file.remove();
        return Attempt::Unguarded;
    }
    m_held = true;
    return Attempt::Taken;
}

// Only a lock still naming this process is removed: a pass taken for hung
// must not end the lock of the pass that took over.
void PassLock::release()
{
    if (!m_held)
        return;
    m_held = false;
    const Gate gate(m_path + QStringLiteral(".gate"));
    if (holderOf(m_path) == ownProcessId())
        QFile::remove(m_path);
}
