#include "SingleInstance.h"

#include "Log.h"
#include "OvFileLock.h"
#include "OvSettings.h"
#include "core/SettingsKeys.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"

#include <unistd.h>

namespace {
const char* const kPidKey = SettingsKeys::kRunningPid;
} // namespace

SingleInstance::SingleInstance(const QString& key)
    : m_key(key)
{
}

SingleInstance::~SingleInstance() = default;

SingleInstance::LockState SingleInstance::takeLock()
{
    // The lock lives with what it guards, the user's data: a start from a session without a
    // runtime folder (a terminal, ssh, su) meets the lock of one from the desktop.
    const QString folder = Utils::getAppDataLocation();
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
    const QString pidKey = QString::fromLatin1(kPidKey);
    m_runningPid = 0;
    const LockState lock = takeLock();
    if (lock == LockHeldElsewhere) {
        if (m_runningPid <= 0) // the holder has not written its id yet
            m_runningPid = settings->applicationParam(pidKey, 0).toLongLong();
        return AlreadyRunning;
    }
    if (lock == NoLock) {
        // Without the lock, the owner named in the user's own settings decides.
        const qint64 pid = settings->applicationParam(pidKey, 0).toLongLong();
        if (OSServiceUtils::isOtherInstanceAlive(pid)) {
            m_runningPid = pid;
            return AlreadyRunning;
        }
    }
    settings->setApplicationParam(pidKey, self);
    return lock == LockTaken ? Acquired : Failed;
}
