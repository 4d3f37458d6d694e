#include "OvPrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr mode_t kFolderMode = S_IRWXU;
constexpr mode_t kFileMode = OvPrivateFiles::kFileMode;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }
} // namespace

bool OvPrivateFiles::makeFolder(const QString& folder, QString* error)
{
    const QString clean = QDir::cleanPath(folder);
    if (clean.isEmpty())
        return fail(error, QStringLiteral("no folder name"));
    if (!QDir().mkpath(QFileInfo(clean).absolutePath()))
        return fail(error, QStringLiteral("the folder that holds %1 cannot be made").arg(clean));
    const QByteArray path = QFile::encodeName(clean);
    if (::mkdir(path.constData(), kFolderMode) != 0 && errno != EEXIST)
        return fail(error, systemError());
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return fail(error, systemError());
    if (!S_ISDIR(info.st_mode))
        return fail(error, QStringLiteral("%1 is not a folder").arg(clean));
    if (info.st_uid != ::geteuid())
        return fail(error, QStringLiteral("%1 belongs to another user (uid %2)").arg(clean).arg(info.st_uid));
    if ((info.st_mode & ~S_IFMT) != kFolderMode && ::chmod(path.constData(), kFolderMode) != 0)
        return fail(error, systemError());
    return true;
}

bool OvPrivateFiles::createFolder(const QString& folder)
{
    return ::mkdir(QFile::encodeName(folder).constData(), kFolderMode) == 0;
}

bool OvPrivateFiles::createFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          kFileMode);
    if (fd < 0)
        return errno == EEXIST;
    ::close(fd);
    return true;
}

bool OvPrivateFiles::restrictFile(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), kFileMode) == 0;
}
