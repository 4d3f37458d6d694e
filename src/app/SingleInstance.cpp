#include "SingleInstance.h"

#include "Log.h"
#include "OvSettings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSharedMemory>

#include <cerrno>
#include <cstring>
#include <csignal>
#include <unistd.h>

namespace {
const char kPidKey[] = "pid";
constexpr int kSegmentSize = 1024;
} // namespace

SingleInstance::SingleInstance(const QString& key)
    : m_memory(new QSharedMemory(key))
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

SingleInstance::Result SingleInstance::acquire()
{
    OvSettings* settings = OvSettings::instance();
    bool attached = m_memory->attach();
    if (!attached && !m_memory->create(kSegmentSize)) {
        // Made by someone else between the two calls: look at its owner below.
        attached = m_memory->error() == QSharedMemory::AlreadyExists && m_memory->attach();
        if (!attached) {
            Log("MAIN", 2, "single instance: no shared segment (%s)", qUtf8Printable(m_memory->errorString()));
            settings->setApplicationParam(QString::fromLatin1(kPidKey), qint64(::getpid()));
            return Failed;
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
                return AlreadyRunning;
            }
        }
        Log("MAIN", 1, "single instance: segment left by process %lld, which is gone", pid);
    }
    writeSegmentPid(qint64(::getpid()));
    settings->setApplicationParam(QString::fromLatin1(kPidKey), qint64(::getpid()));
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
