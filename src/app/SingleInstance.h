#pragma once
// One running instance per user: a 1024-byte shared memory segment keyed by the product's
// native name, and the owner's process id under the setting "pid". A segment left behind
// by a process that died (crash, kill) does not count: the stored process must be alive and
// be this same program.

#include <QString>
#include <memory>

class QSharedMemory;

class SingleInstance {
public:
    enum Result { Acquired, AlreadyRunning, Failed };

    explicit SingleInstance(const QString& key);
    ~SingleInstance();

    // Takes the segment. AlreadyRunning when another live instance holds it; on Acquired
    // the own process id is stored under "pid". Failed when no segment could be made (the
    // caller may still start).
    Result acquire();
    // The process id of the running instance after AlreadyRunning.
    qint64 runningPid() const { return m_runningPid; }

    // True when process `pid` is alive, is not this process, and runs the same executable
    // as this one (a reused process id of another program does not count).
    static bool isOtherInstanceAlive(qint64 pid);

private:
    qint64 readSegmentPid();
    void writeSegmentPid(qint64 pid);

    std::unique_ptr<QSharedMemory> m_memory;
    qint64 m_runningPid = 0;
};
