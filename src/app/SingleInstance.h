#pragma once
// One running instance per user's data. A kernel lock on a file in the application's private
// data folder (whatever the environment says of runtime folders) decides between starts that
// race: it is held for the life of the owning process and released by the kernel at its end,
// however it ends. The holder names itself in the lock file and under the setting "pid".
// Only where no lock can be had does a live owner named under "pid" (a process of this same
// program) count as running. Nothing another user can make (machine-wide IPC objects, files
// in shared folders, links) has a say. Called on the GUI thread at start-up.

#include <QString>
#include <memory>

class OvFileLock;

class SingleInstance {
public:
    enum Result { Acquired, AlreadyRunning, Failed };

    explicit SingleInstance(const QString& key);
    // Releases the lock.
    ~SingleInstance();

    // AlreadyRunning when another live instance holds the lock (or, without a lock, is named
    // under "pid"); on Acquired the own process id is stored under "pid" and the lock is held
    // until this object is destroyed. Failed when no lock could be had and no live owner is
    // named (the caller may still start; the own id is stored all the same).
    Result acquire();
    // The process id of the running instance after AlreadyRunning (0 when it cannot be told).
    qint64 runningPid() const { return m_runningPid; }

private:
    enum LockState { LockTaken, LockHeldElsewhere, NoLock };
    // Takes the lock; NoLock when no lock file could be opened or locked.
    LockState takeLock();

    QString m_key;
    std::unique_ptr<OvFileLock> m_lock; // held while this instance runs
    qint64 m_runningPid = 0;
};
