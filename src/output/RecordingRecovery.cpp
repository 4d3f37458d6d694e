#include "RecordingRecovery.h"

#include "Log.h"
#include "OvProductInfo.h"
#include "ScRecorder.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordingScratch.h"
#include "core/SignalsTransfer.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QTime>
#include <QWidget>

namespace {
const char* const kModule = "RecordingRecovery";
// The screen recorder's file in progress is "<final name>.recording.<muxer>".
const QLatin1String kProgressInfix(".recording.");

// One thing to recover: a file in progress, a finished recording or a sound track.
struct Leftover {
    QString file;        // in the recording folder
    QString suffix;      // of the saved file
    bool video = true;
    bool finished = false; // a complete file: copied as it is
};

QList<Leftover> leftoversIn(const QString& folder)
{
    static const QStringList kVideoSuffixes{QStringLiteral("mov"), QStringLiteral("mp4"), QStringLiteral("m4v"),
                                            QStringLiteral("gif")};
    const QStringList files = RecordingScratch::filesIn(folder);
    QList<Leftover> found;
    for (const QString& name : files) {
        const QString path = folder + QLatin1Char('/') + name;
        const int infix = name.indexOf(kProgressInfix);
        if (infix > 0) {
            const QString suffix = QFileInfo(name.left(infix)).suffix();
            if (kVideoSuffixes.contains(suffix))
                found.append({path, suffix, true, false});
        } else if (name.startsWith(QLatin1String("AudioTrack")) && name.endsWith(QLatin1String(".mka"))) {
            found.append({path, QStringLiteral("mka"), false, false});
        } else if (name.startsWith(QLatin1String("Recording_")) && kVideoSuffixes.contains(QFileInfo(name).suffix())
                   && !name.contains(QLatin1String("_clip."))) {
            // Finished, unless its file in progress is still there (then that one is the whole recording).
            bool inProgress = false;
            for (const QString& other : files)
                inProgress = inProgress || other.startsWith(name + kProgressInfix);
            if (!inProgress)
                found.append({path, QFileInfo(name).suffix(), true, true});
        }
    }
    return found;
}

QString recoveredPath(const Leftover& leftover, const QString& outputFolder)
{
    const QString stamp = QLocale::c().toString(QFileInfo(leftover.file).lastModified(),
                                                QStringLiteral("yy-MM-dd_hh-mm-ss"));
    const QString prefix = leftover.video ? QStringLiteral("Video_") : QStringLiteral("Audio_");
    return FileSystemUtils::freeFilePath(outputFolder, prefix + stamp + QStringLiteral("_recovered"), leftover.suffix);
}
} // namespace

RecordingRecovery::Result RecordingRecovery::recoverFolder(const QString& folder, const QString& outputFolder)
{
    Result result;
    const QList<Leftover> leftovers = leftoversIn(folder);
    if (leftovers.isEmpty()) {
        if (RecordingScratch::filesIn(folder).isEmpty())
            RecordingScratch::remove(folder); // a recording that never started
        else
            Log(kModule, 1, "no recording in %s: kept", qUtf8Printable(folder));
        return result;
    }
    Utils::ensureExists(outputFolder);
    bool allSaved = true;
    for (const Leftover& leftover : leftovers) {
        const QString target = recoveredPath(leftover, outputFolder);
        const bool written = leftover.finished
            ? QFile::copy(leftover.file, target)
            : scRecoverRecording(QFile::encodeName(leftover.file).constData(), QFile::encodeName(target).constData());
        const double seconds = written ? Utils::getMediaDuration(target) : 0.0;
        if (seconds <= 0) {
            if (written)
                QFile::remove(target);
            Log(kModule, 2, "could not recover %s: kept", qUtf8Printable(leftover.file));
            result.kept << leftover.file;
            allSaved = false;
            continue;
        }
        Saved saved;
        saved.path = target;
        saved.type = leftover.video ? HFT_VIDEO : HFT_AUDIO;
        if (leftover.video) {
            const QRect rect = Utils::getVideoRect(target);
            saved.resolution = QStringLiteral("%1*%2").arg(rect.width()).arg(rect.height());
        }
        saved.duration = QTime(0, 0).addSecs(int(seconds)).toString(QStringLiteral("hh:mm:ss"));
        saved.size = Utils::sizeText(QFileInfo(target).size());
        result.saved << saved;
        Log(kModule, 1, "recovered %s as %s (%.1f s)", qUtf8Printable(leftover.file), qUtf8Printable(target), seconds);
        // Its copy plays: a later start-up must not recover it twice.
        QFile::remove(leftover.file);
    }
    if (allSaved)
        RecordingScratch::remove(folder);
    return result;
}

RecordingRecovery* RecordingRecovery::start(QObject* owner, QWidget* messageParent)
{
    const QStringList folders = RecordingScratch::orphans();
    if (folders.isEmpty())
        return nullptr;
    Log(kModule, 1, "%d recording folder(s) left by a process that is gone", int(folders.size()));
    return new RecordingRecovery(folders, Utils::getVideoOutputPath(), owner, messageParent);
}

RecordingRecovery::RecordingRecovery(const QStringList& folders, const QString& outputFolder, QObject* owner,
                                     QWidget* messageParent)
    : QObject(owner)
    , m_pMessageParent(messageParent)
{
    m_pThread = QThread::create([this, folders, outputFolder] {
        for (const QString& folder : folders) {
            const Result one = recoverFolder(folder, outputFolder);
            m_result.saved += one.saved;
            m_result.kept += one.kept;
        }
    });
    connect(m_pThread, &QThread::finished, this, &RecordingRecovery::onWorkDone);
    m_pThread->start(QThread::LowPriority);
}

RecordingRecovery::~RecordingRecovery()
{
    m_pThread->wait();
    delete m_pThread;
}

void RecordingRecovery::onWorkDone()
{
    QStringList savedPaths;
    QStringList names;
    for (const Saved& saved : qAsConst(m_result.saved)) {
        SignalsTransfer::instance()->addHistoryFile(saved.path, saved.type, saved.resolution, saved.duration,
                                                    saved.size);
        savedPaths << saved.path;
        names << QDir::toNativeSeparators(saved.path);
    }
    QStringList kept;
    for (const QString& file : qAsConst(m_result.kept))
        kept << QDir::toNativeSeparators(file);
    QStringList parts;
    const QString product = OvProductInfo::instance()->productName();
    if (!names.isEmpty())
        parts << tr("%1 ended while recording. What was recorded has been recovered and saved:\n%2")
                     .arg(product, names.join(QLatin1Char('\n')));
    if (!kept.isEmpty())
        parts << tr("These recordings could not be recovered and were left where they are:\n%1")
                     .arg(kept.join(QLatin1Char('\n')));
    if (!parts.isEmpty())
        Utils::showMacWindowMessage(kept.isEmpty() ? MT_INFO : MT_WARNING, m_pMessageParent.data(),
                                    parts.join(QStringLiteral("\n\n")), MB_OK);
    emit finished(savedPaths, m_result.kept);
}
