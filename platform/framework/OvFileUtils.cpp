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
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool OvFileUtils::renameNoReplace(const QString& from, const QString& to, QString* error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    int code = errno;
    if (code == EINVAL || code == ENOSYS) {
        // A filesystem that cannot rename without replacing: a second name, which link()
        // never gives over an existing one, then the first name goes.
        if (::link(source.constData(), target.constData()) == 0) {
            if (::unlink(source.constData()) == 0)
                return true;
            code = errno;
            ::unlink(target.constData());
        } else {
            code = errno;
        }
    }
    if (error)
        *error = QString::fromLocal8Bit(strerror(code));
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
