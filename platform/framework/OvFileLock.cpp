#include "OvFileLock.h"
#include "OvPrivateFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The longest holder text read back (a local socket's path fits many times over).
constexpr int kMaxText = 4096;
// How often a bounded wait looks whether the holder has let go.
constexpr int kRetryMs = 20;

QString systemError() { return QString::fromLocal8Bit(strerror(errno)); }
} // namespace

OvFileLock::OvFileLock(const QString& path)
    : m_nFd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                  OvPrivateFiles::kFileMode))
{
    if (m_nFd < 0) {
        m_strError = errno == ELOOP ? QStringLiteral("it is a symbolic link, which is not followed")
                                    : systemError();
        return;
    }
    struct stat info {};
    if (::fstat(m_nFd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_strError = QStringLiteral("it is not a plain file");
        ::close(m_nFd);
        m_nFd = -1;
    }
}

OvFileLock::~OvFileLock()
{
    if (m_nFd >= 0)
        ::close(m_nFd);
}

bool OvFileLock::tryLock() { return take(false); }

bool OvFileLock::lock() { return take(true); }

bool OvFileLock::lockWithin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!take(false)) {
        if (!m_bHeldElsewhere)
            return false;
        if (clock.elapsed() >= ms) {
            m_strError = QStringLiteral("another process has held it for more than %1 ms").arg(ms);
            return false;
        }
        QThread::msleep(kRetryMs);
    }
    return true;
}

bool OvFileLock::take(bool wait)
{
    m_bHeldElsewhere = false;
    if (m_nFd < 0)
        return false;
    if (m_bHeld)
        return true;
    int result;
    do
        result = ::flock(m_nFd, LOCK_EX | (wait ? 0 : LOCK_NB));
    while (result != 0 && errno == EINTR);
    m_bHeld = result == 0;
    if (!m_bHeld) {
        m_bHeldElsewhere = errno == EWOULDBLOCK;
        m_strError = systemError();
    }
    return m_bHeld;
}

bool OvFileLock::writeText(const QByteArray& text)
{
    return m_bHeld && ::ftruncate(m_nFd, 0) == 0
        && ::pwrite(m_nFd, text.constData(), size_t(text.size()), 0) == text.size();
}

QByteArray OvFileLock::readText() const
{
    if (m_nFd < 0)
        return QByteArray();
    char text[kMaxText];
    const ssize_t read = ::pread(m_nFd, text, sizeof(text), 0);
    return read > 0 ? QByteArray(text, int(read)).trimmed() : QByteArray();
}
