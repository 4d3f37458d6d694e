#include "SingleInstance.h"

#include "Log.h"
#include "OvFileLock.h"
#include "OvSettings.h"
#include "core/SettingsKeys.h"
#include "services/OSServiceUtils.h"

#include <QCoreApplication>
#include <QSharedMemory>
#include <QStandardPaths>

#include <unistd.h>

namespace {
const char* const kPidKey = SettingsKeys::kRunningPid;
constexpr int kSegmentSize = 1024;
} // namespace

SingleInstance::SingleInstance(const QString& key)
    : m_key(key)
    , m_memory(new QSharedMemory(key))
{
}

SingleInstance::~SingleInstance() = default;

SingleInstance::LockState SingleInstance::takeLock()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        Log("MAIN", 2, "single instance: no runtime folder for the lock file");
        return NoLock;
    }
    // A lock on a file that is never removed: the kernel gives it to one process and takes it
    // back when that process ends, however it ends. A lock file that is removed when stale
    // lets two racing starts each remove the other's fresh file and both win.
    m_lock.reset(new OvFileLock(folder + QLatin1Char('/') + m_key + QStringLiteral(".lock")));
    if (m_lock->tryLock()) {
        if (!m_lock->writeText(QByteArray::number(qint64(::getpid()))))
            Log("MAIN", 1, "single instance: the lock file does not name its holder");
        return LockTaken;
    }
    const bool held = m_lock->heldElsewhere();
    if (held) // the holder names itself in the file once it has the lock (empty a moment before)
        m_runningPid = m_lock->readText().toLongLong();
    else
        Log("MAIN", 2, "single instance: cannot lock in %s: %s", qUtf8Printable(folder), qUtf8Printable(m_lock->error()));
    m_lock.reset();
    return held ? LockHeldElsewhere : NoLock;
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
    if (attached && lock == NoLock) {
        // Without the lock, the segment decides. The owner's id is in the setting "pid" and,
        // written the moment the segment is taken, in the segment itself (which covers an
        // owner still starting up).
        const qint64 pid = settings->applicationParam(QString::fromLatin1(kPidKey), 0).toLongLong();
        const qint64 segmentPid = readSegmentPid();
        for (qint64 owner : {pid, segmentPid}) {
            if (OSServiceUtils::isOtherInstanceAlive(owner)) {
                m_runningPid = owner;
                m_memory->detach();
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
