#include "SelectSavePath.h"

#include "Log.h"
#include "OvFileUtils.h"
#include "OvSettings.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "core/SettingsKeys.h"
#include "services/FileSystemUtils.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTime>

namespace {
const char* const kModule = "SelectSavePath";
// Room a copy needs beyond the file itself.
const qint64 kFreeSpaceMargin = 5120;

// The frame a camera records when it can give it.
const QRect kCameraFrame(0, 0, 1280, 720);

QString sizeLabel(const QRect& rect) { return QStringLiteral("%1*%2").arg(rect.width()).arg(rect.height()); }

// The frame of a video as its file has it: the engine may record less than the capture
// rectangle (even sizes, an area cut at the screen's edge), and a camera gives what it can.
// Only a file that cannot tell takes the frame that was asked for.
QRect frameOf(const QString& in)
{
    const QRect frame = Utils::getVideoRect(in);
    if (!frame.isEmpty())
        return frame;
    RecordParameter* param = RecordParameter::instance();
    if (param->isOnlyRecordCamera())
        return kCameraFrame;
    if (QFileInfo(in).suffix() == QLatin1String("gif")) {
        Log(kModule, 1, "gif size unknown: the capture rectangle stands in");
        return param->getVideoRect();
    }
    return frame;
}
} // namespace

SelectSavePath::SelectSavePath(QObject* parent)
    : QObject(parent)
{
}

double SelectSavePath::getUpdateProgress() const
{
    const qint64 total = m_nTotalBytes.load();
    if (total <= 0)
        return 0.0;
    return std::min(1.0, double(m_nCopiedBytes.load()) / double(total));
}

void SelectSavePath::cancel() { m_bCancelled.store(true); }

QString SelectSavePath::outputPathFor(const QString& in, const QString& folder, int* type)
{
    RecordParameter* param = RecordParameter::instance();
    QString suffix = QFileInfo(in).suffix();
    QString prefix;
    int kind = HFT_AUDIO;
    if (param->isOnlyRecordCamera()) {
        prefix = QStringLiteral("Camera_");
        kind = HFT_VIDEO;
    } else if (param->getVideoEnable() || param->isWindowRecord()) {
        prefix = QStringLiteral("Video_");
        kind = HFT_VIDEO;
        if (param->usedVideoFmt() == RP_FMT_M4V)
            suffix = QStringLiteral("m4v");
    } else {
        prefix = QStringLiteral("Audio_");
    }
    if (type)
        *type = kind;
    const QString stamp = QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yy-MM-dd_hh-mm-ss"));
    return FileSystemUtils::freeFilePath(folder, prefix + stamp, suffix);
}

void SelectSavePath::saveWork(QString in, QString dir)
{
    if (!QFileInfo::exists(in)) {
        Log(kModule, 2, "input file is missing");
        emit sigInputMissing(tr("The recording to save can no longer be found."));
        return;
    }
    if (dir.isEmpty())
        dir = Utils::getVideoOutputPath();

    int type = HFT_AUDIO;
    const QString outputPath = outputPathFor(in, dir, &type);
    const QString resolution = type == HFT_VIDEO ? sizeLabel(frameOf(in)) : QString();
    const qint64 inputSize = QFileInfo(in).size();
    const QString sizeText = Utils::sizeText(inputSize);
    const QTime duration = QTime(0, 0, 0).addSecs(int(Utils::getMediaDuration(in)));
    if (m_bCancelled.load())
        return;

    const QString folder = QFileInfo(outputPath).absolutePath();
    Utils::ensureExists(folder);
    if (!OvFileUtils::isFolderPathWritable(folder)) {
        Log(kModule, 1, "path is not writable");
        emit sigPathFailed(tr("\"%1\" is not writable, please select another one.").arg(folder));
        return;
    }
    // A move within one volume takes no space; only a copy to another volume needs room.
    const bool sameVolume = Utils::isSameStorage(in, folder);
    bool sizeOk = false;
    if (!sameVolume && Utils::freeDiskSize(outputPath, sizeOk) < inputSize + kFreeSpaceMargin) {
        Log(kModule, 1, "disk size smaller than file size ");
        emit sigPathFailed(
            tr("No enough free space to save the video. You can choose another path, or clear the disk space."));
        return;
    }

    const bool saved = sameVolume ? OSServiceUtils::moveFile(in, outputPath) : copyFile(in, outputPath);
    if (!saved) {
        if (m_bCancelled.load())
            return;
        Log(kModule, 1, sameVolume ? "Move file Failed!" : "copy file Failed!");
        emit sigPathFailed(tr("File exported failed! You can choose another path, or clear the disk space."));
        return;
    }

    Utils::setVideoOutputPath(folder);
    const QString durationText
        = type == HFT_VIDEO ? duration.toString(QStringLiteral("hh:mm:ss"))
                    : OvSettings::instance()->applicationParam(QLatin1String(SettingsKeys::kClipDuration), QString()).toString();
    emit completed(outputPath, type, resolution, durationText, sizeText);
}

bool SelectSavePath::copyFile(const QString& in, const QString& out)
{
    Log(kModule, 1, "copy file");
    m_nTotalBytes.store(0);
    m_nCopiedBytes.store(0);

    QFile target(out);
    // NewOnly: an existing file is never truncated or replaced, and never removed below.
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    auto fail = [&target](const char* why) {
        Log(kModule, 1, "copyFile false: %s", why);
        target.close();
        target.remove();
        return false;
    };
    QFile source(in);
    if (!source.open(QIODevice::ReadOnly))
        return fail("cannot read input");

    const qint64 total = source.size();
    m_nTotalBytes.store(total);
    Log(kModule, 1, "fileSize %lld", static_cast<long long>(total));

    char buffer[4096];
    for (;;) {
        if (m_bCancelled.load())
            return fail("cancelled");
        const qint64 read = source.read(buffer, sizeof buffer);
        if (read < 0)
            return fail("read error");
        if (read == 0)
            break;
        const qint64 written = target.write(buffer, read);
        if (written != read)
            return fail("write error");
        m_nCopiedBytes.fetch_add(written);
    }
    if (!target.flush())
        return fail("flush error");
    target.close();
    if (target.error() != QFileDevice::NoError)
        return fail("close error");
    if (m_nCopiedBytes.load() != total || QFileInfo(out).size() != total)
        return fail("size mismatch");
    Log(kModule, 1, "copyFile succcess");
    return true;
}
