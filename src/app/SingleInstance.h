#pragma once
// One running instance per user. A kernel lock on a file in the user's runtime folder decides
// between starts that race: it is held for the life of the owning process and released by
// the kernel at its end, however it ends. The winner also takes the 1024-byte shared memory
// segment keyed by the product's native name and stores its process id in the segment and
// under the setting "pid". Only where no lock can be had does a live owner named there (a
// process of this same program) count as running. Called on the GUI thread at start-up.

#include <QString>
#include <memory>

class OvFileLock;
class QSharedMemory;

class SingleInstance {
public:
    enum Result { Acquired, AlreadyRunning, Failed };

    explicit SingleInstance(const QString& key);
    // Releases the lock (the segment is released with the process).
    ~SingleInstance();

    // AlreadyRunning when another live instance holds the lock (or, without a lock, is named
    // by the segment or "pid"); on Acquired the own process id is stored under "pid" and the lock is held
    // until this object is destroyed. Failed when neither the lock nor the segment could be
    // made (the caller may still start; the own id is stored all the same).
    Result acquire();
    // The process id of the running instance after AlreadyRunning (0 when it cannot be told).
    qint64 runningPid() const { return m_runningPid; }


private:
    enum LockState { LockTaken, LockHeldElsewhere, NoLock };
    // Takes the lock; NoLock when no lock file could be opened or locked.
    LockState takeLock();
    qint64 readSegmentPid();
    void writeSegmentPid(qint64 pid);

    QString m_key;
    std::unique_ptr<OvFileLock> m_lock; // held while this instance runs
    std::unique_ptr<QSharedMemory> m_memory;
    qint64 m_runningPid = 0;
};
