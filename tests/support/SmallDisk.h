#pragma once
// A small filesystem (tmpfs) mounted over a folder for as long as the object lives, so that
// a test fills a disk for real. Mounting needs root, which the test machines give; where it
// is refused, isMounted() is false and the test says why it skips.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sys/mount.h>

namespace SrTest {
class SmallDisk {
public:
    SmallDisk(const QString& folder, int megabytes)
        : m_path(QFile::encodeName(folder))
    {
        const QByteArray options = "size=" + QByteArray::number(megabytes) + "m";
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool isMounted() const { return m_mounted; }

private:
    QByteArray m_path;
    bool m_mounted = false;
};
} // namespace SrTest
