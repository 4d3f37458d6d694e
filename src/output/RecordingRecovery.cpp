#include "RecordingRecovery.h"

#include "Log.h"
#include "OvFileUtils.h"
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

#include <cerrno>

namespace {
const char* const kModule = "RecordingRecovery";
// The screen recorder's file in progress is "<final name>.recording.<muxer>".
const QLatin1String kProgressInfix(".recording.");
// The recovered file is made under this name in the leftover's own (private) folder and moved
// into the output folder only when complete. No leftover is ever named so.
const QLatin1String kRecoveredPrefix("Recovered_");
// Free names tried in the output folder when others take them between the choice and the move.
const int kNameAttempts = 8;

// One thing to recover: a file in progress, a finished recording or a sound track.
struct Leftover {
    QString file;        // in the recording folder
    QString suffix;      // of the saved file
    bool video = true;
    bool finished = false; // a complete file: moved as it is
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

// Moves the complete recovered file `made` into `outputFolder` under a free "_recovered" name;
// a name that another user takes between the choice and the move is passed over. The name it
// has now, or empty with `made` left where it was.
QString moveIntoOutput(const QString& made, const Leftover& leftover, const QString& outputFolder)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString target = recoveredPath(leftover, outputFolder);
        QString why;
        if (OvFileUtils::moveNoReplace(made, target, &why))
            return target;
        const int code = errno;
        Log(kModule, 2, "cannot move %s to %s: %s", qUtf8Printable(made), qUtf8Printable(target), qUtf8Printable(why));
        if (code != EEXIST)
            break;
    }
    return QString();
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
    for (int index = 0; index < leftovers.size(); ++index) {
        const Leftover& leftover = leftovers.at(index);
        // The engine writes by name: only inside the leftover's folder, which nobody else can
        // write. The output folder may be shared, so the file goes there by a move that never
        // follows or replaces what has the name.
        const QString made = leftover.finished
            ? leftover.file
            : folder + QLatin1Char('/') + kRecoveredPrefix + QString::number(index) + QLatin1Char('.') + leftover.suffix;
        if (!leftover.finished) {
            QFile::remove(made); // one an earlier start-up made before it ended
            if (!scRecoverRecording(QFile::encodeName(leftover.file).constData(), QFile::encodeName(made).constData()))
                QFile::remove(made);
        }
        const double seconds = QFileInfo::exists(made) ? Utils::getMediaDuration(made) : 0.0;
        Saved saved;
        saved.type = leftover.video ? HFT_VIDEO : HFT_AUDIO;
        if (seconds > 0 && leftover.video) {
            const QRect rect = Utils::getVideoRect(made);
            saved.resolution = QStringLiteral("%1*%2").arg(rect.width()).arg(rect.height());
        }
        saved.duration = QTime(0, 0).addSecs(int(seconds)).toString(QStringLiteral("hh:mm:ss"));
        saved.size = Utils::sizeText(QFileInfo(made).size());
        saved.path = seconds > 0 ? moveIntoOutput(made, leftover, outputFolder) : QString();
        if (saved.path.isEmpty()) {
            if (!leftover.finished)
                QFile::remove(made);
            Log(kModule, 2, "could not recover %s: kept", qUtf8Printable(leftover.file));
            result.kept << leftover.file;
            allSaved = false;
            continue;
        }
        result.saved << saved;
        Log(kModule, 1, "recovered %s as %s (%.1f s)", qUtf8Printable(leftover.file), qUtf8Printable(saved.path),
            seconds);
        // Its copy plays: a later start-up must not recover it twice.
        if (!leftover.finished)
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
