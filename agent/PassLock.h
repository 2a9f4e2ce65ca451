#pragma once

#include <QString>

// Keeps passes from overlapping: cron starts one every minute whether or not
// the last has ended, and two passes would count the same minute twice and
// overwrite each other's settings.
//
// The lock file holds the process id of the pass that has it. Reading,
// judging and writing that file happen under a kernel lock on a gate file
// beside it, which the kernel lets go of when its holder dies: no pass ever
// sees another's lock file half written, and a pass killed at any moment
// leaves either no lock file or one naming a process that has ended.
class PassLock {
public:
    static constexpr int kWaitSeconds = 50;
    // A pass holding the lock this long is taken to be hung.
    static constexpr int kStaleAfterMs = 10 * 60 * 1000;

    PassLock();
    ~PassLock();
    PassLock(const PassLock&) = delete;
    PassLock& operator=(const PassLock&) = delete;

    // Waits up to kWaitSeconds (on the Clock). False only when another pass
    // holds the lock; when no lock file can be made at all the pass runs
    // unguarded rather than never.
    bool acquire();
    void release();

private:
    enum class Attempt { Taken, HeldByAnother, Unguarded };
    Attempt tryToTake();

    QString m_path;
    bool m_held = false;
};
