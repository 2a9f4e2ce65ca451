#pragma once

#include <QLockFile>
#include <QString>

// Keeps passes from overlapping: cron starts one every minute whether or not
// the last has ended, and two passes would count the same minute twice and
// overwrite each other's settings.
class PassLock {
public:
    static constexpr int kWaitSeconds = 50;
    // A pass holding the lock this long is taken to be hung.
    static constexpr int kStaleAfterMs = 10 * 60 * 1000;

    PassLock();
    // Waits up to kWaitSeconds (on the Clock). False only when another pass
    // holds the lock; when no lock file can be made at all the pass runs
    // unguarded rather than never.
    bool acquire();
    void release();

private:
    QString m_path;
    QLockFile m_lockFile;
};
