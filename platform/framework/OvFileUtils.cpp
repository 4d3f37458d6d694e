#include "OvFileUtils.h"

#include "Log.h"
#include "OvSafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

bool OvFileUtils::isFolderPathWritable(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".sr_write_probe_XXXXXX")));
    if (!probe.open())
        return false;
    const bool written = probe.write("x", 1) == 1 && probe.flush();
    probe.close();
    return written;
}

QString OvFileUtils::makeOSLikePath(const QString& path)
{
    QString clean = QDir::cleanPath(path);
    return QDir::toNativeSeparators(clean);
}

bool OvFileUtils::existsInAnyForm(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

namespace {
// Bytes a cross-filesystem move copies at a time.
constexpr size_t kCopyChunk = 64 * 1024;
// The mode a new file gets when nothing asks otherwise (umask 022), for a kernel that does
// not tell the umask.
constexpr mode_t kDefaultNewFileMode = 0644;

void setError(QString* error, int code)
{
    if (error)
        *error = QString::fromLocal8Bit(strerror(code));
}

// rename(2) that never replaces: 0, or the errno of the failure.
int renameWithoutReplacing(const QByteArray& source, const QByteArray& target)
{
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int code = errno;
    if (code != EINVAL && code != ENOSYS)
        return code;
    // A filesystem that cannot rename without replacing: a second name, which link() never
    // gives over an existing one, then the first name goes.
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    if (::unlink(source.constData()) == 0)
        return 0;
    const int unlinkCode = errno;
    ::unlink(target.constData());
    return unlinkCode;
}

// The mode of a file a program makes with the user's umask (0666 less the umask), read
// without changing the umask, which other threads rely on.
mode_t newFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            bool ok = false;
            const uint mask = line.startsWith("Umask:") ? line.mid(6).trimmed().toUInt(&ok, 8) : 0;
            if (ok)
                return 0666 & ~mode_t(mask);
        }
    }
    return kDefaultNewFileMode;
}

// Writes all of `size` bytes to `fd`: false (errno set) when any could not be written.
bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// A private new file (0600) for the name `target`, in its folder: its descriptor, or -1 with
// errno set. mkostemp makes the name anew (O_CREAT | O_EXCL, which follows no link).
int createBeside(const QByteArray& target, QByteArray* temp)
{
    const int slash = target.lastIndexOf('/');
    *temp = target.left(slash + 1) + '.' + target.mid(slash + 1) + ".XXXXXX";
    return ::mkostemp(temp->data(), O_CLOEXEC);
}

// Gives the complete file `out` (written as `temp`) its mode, flushes it to disk, closes it and
// gives it the name `target` as `existing` says. 0, or the errno of the failure: `temp` is
// then gone and what has the name is as it was.
int placeWritten(int out, const QByteArray& temp, const QByteArray& target, OvFileUtils::ExistingName existing,
                 int mode, int code = 0)
{
    const mode_t fileMode = mode == OvFileUtils::kUmaskMode ? newFileMode() : mode_t(mode);
    struct stat made;
    if (code == 0 && (::fchmod(out, fileMode) != 0 || ::fsync(out) != 0 || ::fstat(out, &made) != 0))
        code = errno;
    if (::close(out) != 0 && code == 0)
        code = errno;
    if (code == 0) {
        // rename(2) replaces the name itself: a link there goes, what it leads to is untouched.
        if (existing == OvFileUtils::ExistingName::Keep)
            code = renameWithoutReplacing(temp, target);
        else if (::rename(temp.constData(), target.constData()) != 0)
            code = errno;
    }
    if (code != 0) {
        ::unlink(temp.constData());
        return code;
    }
    // What has the name now must be the file written here: a folder others can write is no
    // place to take anything on trust.
    struct stat placed;
    if (::lstat(target.constData(), &placed) != 0 || placed.st_dev != made.st_dev || placed.st_ino != made.st_ino)
        return EEXIST;
    return 0;
}

// Copies the file `source` to a private new file in the folder of `target`, checked to hold
// every byte and flushed to disk, gives it the user's umask mode and the name `target`
// without replacing anything, and only then removes `source`. 0, or the errno of the
// failure: the new file is then gone and `source` is as it was.
int copyIntoPlace(const QByteArray& source, const QByteArray& target)
{
    const int in = ::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0)
        return errno;
    QByteArray temp;
    const int out = createBeside(target, &temp);
    if (out < 0) {
        const int code = errno;
        ::close(in);
        return code;
    }
    int code = 0;
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || (got > 0 && !writeAll(out, buffer.data(), got)))
            code = errno;
        if (got <= 0 || code != 0)
            break;
    }
    ::close(in);
    code = placeWritten(out, temp, target, OvFileUtils::ExistingName::Keep, OvFileUtils::kUmaskMode, code);
    if (code != 0)
        return code;
    if (::unlink(source.constData()) != 0)
        Log("FileUtils", 2, "moved, but the source could not be removed: %s", strerror(errno));
    return 0;
}
} // namespace

bool OvFileUtils::renameNoReplace(const QString& from, const QString& to, QString* error)
{
    const int code = renameWithoutReplacing(QFile::encodeName(from), QFile::encodeName(to));
    if (code == 0)
        return true;
    setError(error, code);
    errno = code;
    return false;
}

bool OvFileUtils::moveNoReplace(const QString& from, const QString& to, QString* error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int code = renameWithoutReplacing(source, target);
    if (code == EXDEV)
        code = copyIntoPlace(source, target);
    if (code == 0)
        return true;
    setError(error, code);
    errno = code;
    return false;
}

bool OvFileUtils::writeNewFile(const QString& path, const QByteArray& bytes, ExistingName existing, QString* error,
                               int mode)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp;
    const int out = createBeside(target, &temp);
    int code = out < 0 ? errno : 0;
    if (code == 0) {
        const int written = writeAll(out, bytes.constData(), bytes.size()) ? 0 : errno;
        code = placeWritten(out, temp, target, existing, mode, written);
    }
    if (code == 0)
        return true;
    setError(error, code);
    errno = code;
    return false;
}

bool OvFileUtils::moveToTrash(const QString& path, QString* error)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // Without the data folder Qt puts the trash beside the working folder.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    QFile file(absolute);
    if (!file.moveToTrash()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    inTrash = file.fileName();
    // Qt writes the original path raw into the trash information; desktops read it as a URL
    // path, so a '%', a line break or any byte outside the plain set has to be escaped. The
    // information file lies in "info" beside the "files" folder that took the file.
    const QFileInfo moved(inTrash);
    const QString info = moved.absolutePath() + QStringLiteral("/../info/") + moved.fileName() + QStringLiteral(".trashinfo");
    if (!QFileInfo(info).isFile()) {
        Log("FileUtils", 2, "no trash information for %s", qUtf8Printable(inTrash));
        return true;
    }
    const QByteArray text = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(QFile::encodeName(absolute), "/")
                            + "\nDeletionDate="
                            + QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1()
                            + "\n";
    QString why;
    if (!OvSafeFile::write(info, text, &why))
        Log("FileUtils", 2, "trash information %s not written: %s", qUtf8Printable(info), qUtf8Printable(why));
    return true;
}
