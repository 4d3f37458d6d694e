#include "RecordingScratch.h"

#include "Log.h"
#include "OvPrivateFiles.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>
#include <QSet>

namespace {
// The owner marker in every recording folder: the owning process id as text.
const char kOwnerFile[] = ".owner";
// Attempts at a free folder name before giving up.
constexpr int kNameAttempts = 1000;

QMutex& ownMutex()
{
    static QMutex s_mutex;
    return s_mutex;
}

// Folders made by this process: ours even when a dead process once had our process id.
QSet<QString>& ownFolders()
{
    static QSet<QString> s_folders;
    return s_folders;
}

QString clean(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

QString ownerFile(const QString& folder) { return folder + QLatin1Char('/') + QLatin1String(kOwnerFile); }

bool isRecordingFolder(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(folder).absolutePath() == clean(Utils::getRecorderTmpRoot())
        && QFileInfo(ownerFile(folder)).isFile();
}
} // namespace

QString RecordingScratch::create()
{
    const QString root = Utils::getRecorderTmpRoot();
    const qint64 pid = QCoreApplication::applicationPid();
    const QString base = QStringLiteral("Recording_%1_%2")
                             .arg(QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyMMdd_hhmmss")))
                             .arg(pid);
    for (int n = 0; n < kNameAttempts; ++n) {
        const QString name = n == 0 ? base : base + QStringLiteral("(%1)").arg(n);
        // mkdir fails on an existing name: a folder is never shared, even with a racing process.
        if (!OvPrivateFiles::createFolder(root + QLatin1Char('/') + name)) {
            if (QFileInfo::exists(root + QLatin1Char('/') + name))
                continue;
            break;
        }
        const QString folder = clean(root + QLatin1Char('/') + name);
        QFile marker(ownerFile(folder));
        if (!marker.open(QIODevice::WriteOnly | QIODevice::NewOnly) || marker.write(QByteArray::number(pid)) <= 0
            || !marker.flush()) {
            marker.close();
            QDir(folder).removeRecursively();
            break;
        }
        QMutexLocker lock(&ownMutex());
        ownFolders().insert(folder);
        return folder;
    }
    Log("RecordingScratch", 2, "no recording folder could be made in %s", qUtf8Printable(root));
    return QString();
}

QString RecordingScratch::folderOf(const QString& file)
{
    if (file.isEmpty())
        return QString();
    const QString folder = QFileInfo(clean(file)).absolutePath();
    return isRecordingFolder(folder) ? folder : QString();
}

qint64 RecordingScratch::ownerOf(const QString& folder)
{
    QFile marker(ownerFile(folder));
    if (!marker.open(QIODevice::ReadOnly))
        return 0;
    return marker.read(32).trimmed().toLongLong();
}

QStringList RecordingScratch::orphans()
{
    QStringList result;
    const QString root = Utils::getRecorderTmpRoot();
    const QFileInfoList entries
        = QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed);
    for (const QFileInfo& entry : entries) {
        const QString folder = clean(entry.absoluteFilePath());
        if (!isRecordingFolder(folder))
            continue;
        {
            QMutexLocker lock(&ownMutex());
            if (ownFolders().contains(folder))
                continue;
        }
        if (OSServiceUtils::isOtherInstanceAlive(ownerOf(folder)))
            continue;
        result << folder;
    }
    return result;
}

QStringList RecordingScratch::filesIn(const QString& folder)
{
    QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    files.removeAll(QLatin1String(kOwnerFile));
    return files;
}

bool RecordingScratch::remove(const QString& folder)
{
    const QString path = clean(folder);
    if (!isRecordingFolder(path))
        return false;
    if (!QDir(path).removeRecursively())
        return false;
    QMutexLocker lock(&ownMutex());
    ownFolders().remove(path);
    return true;
}

void RecordingScratch::removeIfEmpty(const QString& folder)
{
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (entries == QStringList{QLatin1String(kOwnerFile)})
        remove(folder);
}
