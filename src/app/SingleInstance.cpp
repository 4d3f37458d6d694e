#include "SingleInstance.h"

#include "Log.h"
#include "OvSettings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QSharedMemory>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <csignal>
#include <unistd.h>

namespace {
const char kPidKey[] = "pid";
constexpr int kSegmentSize = 1024;
} // namespace

SingleInstance::SingleInstance(const QString& key)
    : m_key(key)
    , m_memory(new QSharedMemory(key))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isOtherInstanceAlive(qint64 pid)
{
    if (pid <= 0 || pid == qint64(::getpid()))
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // A process id is reused once its process is gone: only the same program counts.
    const QString other = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (other.isEmpty() || self.isEmpty())
        return true; // cannot tell: assume it is ours
    return other == self;
}

SingleInstance::LockState SingleInstance::takeLock()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        Log("MAIN", 2, "single instance: no runtime folder for the lock file");
        return NoLock;
    }
    m_lock.reset(new QLockFile(folder + QLatin1Char('/') + m_key + QStringLiteral(".lock")));
    // Held for the whole run: stale only when its holder is gone (the kernel lock on the file
    // backs the process id up), however old the file is.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return LockTaken;
    if (m_lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString app;
        if (m_lock->getLockInfo(&pid, &host, &app))
            m_runningPid = pid;
        return LockHeldElsewhere;
    }
    Log("MAIN", 2, "single instance: cannot make the lock file in %s (error %d)", qUtf8Printable(folder),
        int(m_lock->error()));
    m_lock.reset();
    return NoLock;
}

SingleInstance::Result SingleInstance::acquire()
{
    OvSettings* settings = OvSettings::instance();
    const qint64 self = qint64(::getpid());
    m_runningPid = 0;
    const LockState lock = takeLock();
    if (lock == LockHeldElsewhere) {
        if (m_runningPid <= 0) // the holder has not written its id yet
            m_runningPid = settings->applicationParam(QString::fromLatin1(kPidKey), 0).toLongLong();
        return AlreadyRunning;
    }

    bool attached = m_memory->attach();
    if (!attached && !m_memory->create(kSegmentSize)) {
        // Made by someone else between the two calls: look at its owner below.
        attached = m_memory->error() == QSharedMemory::AlreadyExists && m_memory->attach();
        if (!attached) {
            Log("MAIN", 2, "single instance: no shared segment (%s)", qUtf8Printable(m_memory->errorString()));
            settings->setApplicationParam(QString::fromLatin1(kPidKey), self);
            return lock == LockTaken ? Acquired : Failed;
        }
    }
    if (attached) {
        // The owner's id is in the setting "pid" and, written the moment the segment is
        // taken, in the segment itself (which covers an owner still starting up).
        const qint64 pid = settings->applicationParam(QString::fromLatin1(kPidKey), 0).toLongLong();
        const qint64 segmentPid = readSegmentPid();
        for (qint64 owner : {pid, segmentPid}) {
            if (isOtherInstanceAlive(owner)) {
                m_runningPid = owner;
                m_memory->detach();
                if (m_lock)
                    m_lock->unlock();
                return AlreadyRunning;
            }
        }
        Log("MAIN", 1, "single instance: segment left by process %lld, which is gone", pid);
    }
    writeSegmentPid(self);
    settings->setApplicationParam(QString::fromLatin1(kPidKey), self);
    return Acquired;
}

qint64 SingleInstance::readSegmentPid()
{
    qint64 pid = 0;
    if (m_memory->isAttached() && m_memory->lock()) {
        memcpy(&pid, m_memory->constData(), sizeof(pid));
        m_memory->unlock();
    }
    return pid;
}

void SingleInstance::writeSegmentPid(qint64 pid)
{
    if (m_memory->isAttached() && m_memory->lock()) {
        memcpy(m_memory->data(), &pid, sizeof(pid));
        m_memory->unlock();
    }
}
