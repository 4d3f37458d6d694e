#include "OvSafeFile.h"

#include "OvFileLock.h"
#include "OvFileUtils.h"
#include "OvPrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QTemporaryFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The kernel gives up on a chain of links this long (ELOOP); so does the write.
constexpr int kMaxLinkDepth = 40;
// Names tried for a copy set aside within one second.
constexpr int kMaxAsideAttempts = 1000;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString systemError(int code) { return QString::fromLocal8Bit(strerror(code)); }

// True when the INI file at `path` holds `keys` settings and ends with a line break. The INI
// writer puts every setting on a line of its own, so a file cut short either ends inside a
// line or lacks lines.
bool holdsKeys(const QString& path, int keys)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys == 0 && !file.exists();
    const QByteArray data = file.readAll();
    if (data.isEmpty())
        return keys == 0;
    if (!data.endsWith('\n'))
        return false;
    int lines = 0;
    for (int from = 0; from < data.size();) {
        const int end = data.indexOf('\n', from);
        const QByteArray line = data.mid(from, end - from);
        if (!line.startsWith('[') && line.contains('='))
            ++lines;
        from = end + 1;
    }
    return lines == keys;
}

// The name under which a write keeps the file before it: one per process, so that a write
// never removes what another process keeps.
QString beforeWriteName(const QString& target, qint64 pid) { return target + QStringLiteral(".before-%1").arg(pid); }

// Renames the file `from` to "<base>.damaged-<yyyyMMdd-hhmmss>" (with "-<n>" when copies of
// that second exist), never over anything; the new name, or empty text.
QString placeAside(const QString& from, const QString& base, QString* error)
{
    const QString stamped
        = base + QStringLiteral(".damaged-")
          + QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyyMMdd-hhmmss"));
    for (int n = 1; n <= kMaxAsideAttempts; ++n) {
        const QString target = n == 1 ? stamped : stamped + QStringLiteral("-%1").arg(n);
        QString why;
        if (OvFileUtils::renameNoReplace(from, target, &why))
            return target;
        if (!OvFileUtils::existsInAnyForm(target)) {
            setError(error, why);
            return QString();
        }
    }
    setError(error, QStringLiteral("every name for the copy is taken"));
    return QString();
}

// Eats a store's requests to write itself from the event loop, which every change posts.
class NoSelfSync : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::UpdateRequest; }
};

// Puts the file kept at `before` back at `target`, over the one a write cut short. Qt reads a
// settings file again only when its size or its time to the millisecond changed: a kept file
// of the cut one's size and time (the two writes in one clock tick) is given a second earlier,
// or the stores on it would go on showing what was not written.
void putBack(const QByteArray& before, const QByteArray& target)
{
    struct stat cut {};
    struct stat kept {};
    const bool alike = ::stat(target.constData(), &cut) == 0 && ::stat(before.constData(), &kept) == 0
        && cut.st_size == kept.st_size && cut.st_mtim.tv_sec == kept.st_mtim.tv_sec
        && cut.st_mtim.tv_nsec / 1000000 == kept.st_mtim.tv_nsec / 1000000;
    if (std::rename(before.constData(), target.constData()) != 0 || !alike)
        return;
    timespec times[2] = {{0, UTIME_OMIT}, kept.st_mtim};
    times[1].tv_sec -= 1;
    ::utimensat(AT_FDCWD, target.constData(), times, AT_SYMLINK_NOFOLLOW);
}
} // namespace

QString OvSafeFile::writeTarget(const QString& path, QString* error)
{
    QString target = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            return target;
        target = info.symLinkTarget();
    }
    setError(error, systemError(ELOOP));
    return QString();
}

QString OvSafeFile::writeBeside(const QString& path, const QByteArray& bytes, QString* error)
{
    if (path.isEmpty()) {
        setError(error, QStringLiteral("no file name"));
        return QString();
    }
    const QString target = writeTarget(path, error);
    if (target.isEmpty())
        return QString();
    const QFileInfo info(target);
    QTemporaryFile file(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open()) {
        setError(error, file.errorString());
        return QString();
    }
    const QString temp = file.fileName();
    if (info.exists())
        file.setPermissions(info.permissions());
    // Qt's write() reports the bytes it took, not an error, when the disk fills part-way;
    // and data the kernel buffered can still fail to reach the disk: every step is checked,
    // and the size on disk is the proof that everything arrived.
    bool ok = file.write(bytes) == bytes.size() && file.flush();
    if (ok && ::fsync(file.handle()) != 0) {
        ok = false;
        setError(error, systemError(errno));
    } else if (!ok) {
        setError(error, file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("the disk is full"));
    }
    file.close();
    if (ok && QFileInfo(temp).size() != bytes.size()) {
        ok = false;
        setError(error, QStringLiteral("the disk is full"));
    }
    if (!ok) {
        QFile::remove(temp);
        return QString();
    }
    return temp;
}

bool OvSafeFile::replace(const QString& temp, const QString& path, QString* error)
{
    const QString target = writeTarget(path, error);
    if (target.isEmpty()) {
        QFile::remove(temp);
        return false;
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    setError(error, systemError(errno));
    QFile::remove(temp);
    return false;
}

bool OvSafeFile::write(const QString& path, const QByteArray& bytes, QString* error)
{
    const QString temp = writeBeside(path, bytes, error);
    return !temp.isEmpty() && replace(temp, path, error);
}

std::unique_ptr<QSettings> OvSafeFile::openSettings(const QString& path)
{
    // Each write keeps the permissions of the file it replaces: a first file private to the
    // user keeps what the store holds private.
    OvPrivateFiles::createFile(path);
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    // Written beside and renamed over the file, never in place (the default, made explicit).
    settings->setAtomicSyncRequired(true);
    settings->installEventFilter(new NoSelfSync(settings.get()));
    return settings;
}

bool OvSafeFile::syncSettings(std::unique_ptr<QSettings>& settings, QString* error)
{
    // QSettings writes a temporary file beside the file, flushes it and renames it over the
    // file (through a link, as here); but Qt 5.15 renames it even when writing it failed
    // part-way (a full disk with a little room left), and reports no error. So the file before
    // the write stays linked under a second name until the new one is known to be whole, and
    // comes back when it is not. Other processes doing the same wait for the guard, a kernel
    // lock that a writer which died drops.
    const QString path = settings->fileName();
    const QString targetPath = writeTarget(path, error);
    if (targetPath.isEmpty())
        return false;
    const QByteArray target = QFile::encodeName(targetPath);
    OvFileLock guard(path + QStringLiteral(".write-lock"));
    if (guard.lock()) {
        // No other writer is inside sync(): a lock file of QSettings' own is left by one that
        // died there, and would hold this write up for half a minute.
        ::unlink((QFile::encodeName(path) + ".lock").constData());
    }
    const QByteArray before = QFile::encodeName(beforeWriteName(targetPath, ::getpid()));
    ::unlink(before.constData());
    const bool existed = ::access(target.constData(), F_OK) == 0;
    const bool kept = existed && ::link(target.constData(), before.constData()) == 0;
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        // A store keeps the first error it met for good, also once the disk has room again:
        // a new one tells whether the file can be written now. Qt shares what a file holds
        // between the stores on it, changes it could not write included; opening the new
        // store writes them, here inside the guard.
        settings = openSettings(path);
    }
    const bool believed = settings->status() == QSettings::NoError;
    if (believed && holdsKeys(targetPath, settings->allKeys().size())) {
        if (kept)
            ::unlink(before.constData());
        return true;
    }
    setError(error, believed ? QStringLiteral("the file was not written whole")
                             : QStringLiteral("the file or its folder cannot be written"));
    if (kept)
        putBack(before, target);
    else if (!existed)
        ::unlink(target.constData()); // the first file, written in part
    // Qt took a file cut short for written and has nothing pending: it reads the file put back.
    if (believed)
        settings->sync();
    return false;
}

void OvSafeFile::removeLeftOvers(const QString& path)
{
    const QString target = writeTarget(path);
    if (target.isEmpty())
        return;
    const QFileInfo info(target);
    const QString prefix = info.fileName() + QStringLiteral(".before-");
    for (const QString& name : QDir(info.absolutePath()).entryList({prefix + QLatin1Char('*')}, QDir::Files)) {
        bool ok = false;
        const qint64 pid = name.mid(prefix.size()).toLongLong(&ok);
        if (ok && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(info.absolutePath() + QLatin1Char('/') + name);
    }
}

QString OvSafeFile::setAside(const QString& path, QString* error)
{
    const QString source = writeTarget(path, error);
    return source.isEmpty() ? QString() : placeAside(source, source, error);
}

QString OvSafeFile::keepAside(const QString& path, const QString& label, const QByteArray& bytes, QString* error)
{
    const QString source = writeTarget(path, error);
    if (source.isEmpty())
        return QString();
    const QString temp = writeBeside(source, bytes, error);
    if (temp.isEmpty())
        return QString();
    const QString kept = placeAside(temp, source + QLatin1Char('.') + label, error);
    if (kept.isEmpty())
        QFile::remove(temp);
    return kept;
}
