#include "Utils.h"

#include "Log.h"
#include "OvMessageBox.h"
#include "OvPrivateFiles.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "PlatformSeam.h"
#include "ScAudioRecording.h"
#include "ScEngine.h"
#include "core/RecordingScratch.h"
#include "core/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <sys/stat.h>

namespace {
QString folderOf(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

// The folder stored under `key` (or `fallback`), created when missing.
QString storedFolder(const char* key, const QString& fallback)
{
    const QString path = OvSettings::instance()->applicationParam(QString::fromLatin1(key), fallback).toString();
    Utils::ensureExists(path);
    return path;
}

OutputVideoFileType containerOf(RP_Format fmt, bool& video)
{
    video = true;
    switch (fmt) {
    case RP_FMT_MP4: return OVFT_MP4;
    case RP_FMT_MOV: return OVFT_MOV;
    case RP_FMT_M4V: return OVFT_M4V;
    case RP_FMT_GIF: return OVFT_GIF;
    default: video = false; return OVFT_MP4;
    }
}
} // namespace

QString Utils::getAppDataLocation()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                     + QStringLiteral("/ScreenRecorder");
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    ensurePrivate(folder);
    return folder;
}

QString Utils::getAppLogPath() { return getAppDataLocation() + QStringLiteral("/sr.log"); }

QString Utils::getRecorderTmpRoot()
{
    const QString root = getAppDataLocation() + QStringLiteral("/Screen Recorder");
    ensurePrivate(root);
    return root;
}

void Utils::removeTempRoot(const QString& recordedFile)
{
    const QString folder = RecordingScratch::folderOf(recordedFile);
    if (!folder.isEmpty()) {
        RecordingScratch::remove(folder);
        return;
    }
    const QFileInfo file(recordedFile);
    if (!recordedFile.isEmpty() && file.isFile()
        && QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(QFileInfo(getRecorderTmpRoot()).absoluteFilePath()))
        QFile::remove(file.absoluteFilePath());
}

QString Utils::getOriginalVideoOutputPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/')
           + OvProductInfo::instance()->companyFullName();
}

QString Utils::getOriginalSnapshotPath() { return getOriginalVideoOutputPath() + QStringLiteral("/Snapshot"); }

QString Utils::getVideoOutputPath() { return storedFolder(SettingsKeys::kVideoFolder, getOriginalVideoOutputPath()); }

void Utils::setVideoOutputPath(const QString& path)
{
    OvSettings::instance()->setApplicationParam(QLatin1String(SettingsKeys::kVideoFolder), path);
}

QString Utils::getSnapshotPath() { return storedFolder(SettingsKeys::kScreenshotsFolder, getOriginalSnapshotPath()); }

void Utils::setSnapshotPath(const QString& path)
{
    OvSettings::instance()->setApplicationParam(QLatin1String(SettingsKeys::kScreenshotsFolder), path);
}

bool Utils::ensureExists(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    return QFileInfo(folder).isDir() || QDir().mkpath(folder);
}

bool Utils::ensurePrivate(const QString& folder)
{
    QString why;
    if (OvPrivateFiles::makeFolder(folder, &why))
        return true;
    Log("Utils", 2, "no private folder %s: %s", qUtf8Printable(folder), qUtf8Printable(why));
    return false;
}

qint64 Utils::freeDiskSize(const QString& path, bool& ok)
{
    const QString folder = folderOf(path);
    ensureExists(folder);
    return std::max<qint64>(0, PlatformSeam::current()->freeDiskSize(folder, ok));
}

bool Utils::isSameStorage(const QString& a, const QString& b)
{
    ensureExists(b);
    struct stat sa, sb;
    if (stat(QFile::encodeName(a).constData(), &sa) != 0 || stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev;
}

QString Utils::getUtilOfSize(qint64 bytes, double& value)
{
    if (bytes > 1073741824LL) {
        value = double(bytes) / 1073741824.0;
        return QStringLiteral("GB");
    }
    if (bytes > 1048576LL) {
        value = double(bytes) / 1048576.0;
        return QStringLiteral("MB");
    }
    value = double(bytes) / 1024.0;
    return QStringLiteral("KB");
}

QString Utils::sizeText(qint64 bytes)
{
    double value = 0;
    const QString unit = getUtilOfSize(bytes, value);
    return QStringLiteral("%1%2").arg(QString::asprintf("%.2f", value), unit);
}

QString Utils::wholeSizeText(qint64 bytes)
{
    double value = 0;
    const QString unit = getUtilOfSize(bytes, value);
    return QStringLiteral("%1%2").arg(qint64(value)).arg(unit);
}

double Utils::getMediaDuration(const QString& path)
{
    double seconds = 0;
    scGetMediaInfo(QFile::encodeName(path).constData(), &seconds, nullptr, nullptr);
    return seconds;
}

double Utils::getAudioDuration()
{
    return scGetLastAudioDuration();
}

QRect Utils::getVideoRect(const QString& path)
{
    int width = 0, height = 0;
    scGetMediaInfo(QFile::encodeName(path).constData(), nullptr, &width, &height);
    return width > 0 && height > 0 ? QRect(0, 0, width, height) : QRect();
}

bool Utils::suportVidoeType(RP_Format fmt) { return !getSupportCodecs(fmt).isEmpty(); }

QMap<int, QString> Utils::getSupportCodecs(RP_Format fmt)
{
    QMap<int, QString> result;
    bool video = false;
    const OutputVideoFileType container = containerOf(fmt, video);
    if (!video)
        return result;
    int codecs[8] = {};
    const int count = std::min(8, PlatformSeam::current()->supportedCodecs(container, codecs, 8));
    for (int i = 0; i < count; ++i) {
        switch (codecs[i]) {
        case RP_CODEC_H264: result.insert(codecs[i], QStringLiteral("H.264")); break;
        case RP_CODEC_HEVC: result.insert(codecs[i], QStringLiteral("HEVC")); break;
        case RP_CODEC_PRORES422: result.insert(codecs[i], QStringLiteral("Apple ProRes 422")); break;
        case RP_CODEC_PRORES4444: result.insert(codecs[i], QStringLiteral("Apple ProRes 4444")); break;
        case RP_CODEC_GIF: result.insert(codecs[i], QStringLiteral("GIF")); break;
        default: break;
        }
    }
    return result;
}

int Utils::showMacWindowMessage(MsgType type, QWidget* parent, const QString& text, MsgButton buttons)
{
    // On the heap and watched: the parent may be deleted while the box runs (a window
    // closed under it), and deletes the box with it.
    QPointer<OvMessageBox> guard = new OvMessageBox(parent, true);
    OvMessageBox& box = *guard;
    box.setMsgTitle(OvProductInfo::instance()->productName());
    box.setLabelInfo(text);
    switch (int(type)) {
    case 1: box.setIcon(2); break;
    case 2: box.setIcon(6); break;
    case 3: box.setIcon(4); break;
    default: box.setIcon(1); break;
    }
    switch (buttons) {
    case MB_OKCANCEL:
        box.setButtons(OvMessageBox::Ok | OvMessageBox::Cancel);
        box.setDefaultButton(OvMessageBox::Ok);
        break;
    case MB_YESNOCANCEL:
        box.setButtons(OvMessageBox::Yes | OvMessageBox::No | OvMessageBox::Cancel);
        box.setDefaultButton(OvMessageBox::Yes);
        break;
    default: box.setButtons(OvMessageBox::Ok); break;
    }
    const int answer = box.exec();
    if (!guard)
        return OvMessageBox::Cancel;
    delete guard.data();
    return answer;
}

QRect Utils::screenGeometry()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

quint32 Utils::toSecsSinceEpoch(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return 4294967295u;
    return quint32(dateTime.toSecsSinceEpoch());
}
