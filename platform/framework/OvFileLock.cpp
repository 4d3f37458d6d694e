#include "OvFileLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// The longest holder text read back.
constexpr int kMaxText = 64;
} // namespace

OvFileLock::OvFileLock(const QString& path)
    : m_nFd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
{
    if (m_nFd < 0)
        m_strError = QString::fromLocal8Bit(strerror(errno));
}

OvFileLock::~OvFileLock()
{
    if (m_nFd >= 0)
        ::close(m_nFd);
}

bool OvFileLock::tryLock() { return take(false); }

bool OvFileLock::lock() { return take(true); }

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
        m_strError = QString::fromLocal8Bit(strerror(errno));
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
    char text[kMaxText + 1] = {};
    const ssize_t read = ::pread(m_nFd, text, kMaxText, 0);
    return read > 0 ? QByteArray(text, int(read)).trimmed() : QByteArray();
}
