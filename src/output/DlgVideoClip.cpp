#include "DlgVideoClip.h"
#include "core/SettingsKeys.h"
#include "ui_DlgVideoClip.h"

#include "Log.h"
#include "OvFileDialog.h"
#include "OvMessageBox.h"
#include "OvSettings.h"
#include "core/RecordState.h"
#include "core/RecordParameter.h"
#include "core/SignalsTransfer.h"
#include "feedback/FeedBackDialog.h"
#include "output/AVClipManager.h"
#include "output/SelectSavePath.h"
#include "recording/DlgReRecord.h"
#include "recording/SystemStatusBar.h"
#include "services/Utils.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QMovie>
#include <QTimer>

namespace {
const char* const kModule = "DlgVideoClip";
// How often the progress bar follows a save or conversion, and a video export.
const int kSaveProgressMs = 500;
const int kExportProgressMs = 100;
// A direct save starts once the dialog is up.
const int kDirectSaveDelayMs = 50;

QTime timeOf(double seconds) { return QTime(0, 0).addMSecs(int(qRound64(seconds * 1000.0))); }
} // namespace

DlgVideoClip::DlgVideoClip(QString file, OvMainWindowBase* mainWindow, QWidget* parent, bool isVideo,
                           bool saveDirectly)
    : OvDialogBase(parent)
    , ui(new Ui::DlgVideoClip)
    , m_strSourceFile(std::move(file))
    , m_pMainWindow(mainWindow)
    , m_bVideo(isVideo)
    , m_bSaveDirectly(saveDirectly)
{
    ui->setupUi(this);
    ensurePolished();
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    // Modal to its window only: the status item's menu stays usable meanwhile, so that "Show
    // Preview" can bring the dialog back.
    setWindowModality(Qt::WindowModal);

    RecordState::instance()->openPreview();

    m_strClipFile = initialClipFile();
    for (QDateTimeEdit* edit : {ui->dteStart, ui->dteEnd}) {
        edit->setDisplayFormat(QStringLiteral("hh:mm:ss.zzz"));
        edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
        edit->setCurrentSection(QDateTimeEdit::MSecSection);
        edit->setEnabled(false);
    }

    connect(ui->btnSave, &QPushButton::clicked, this, &DlgVideoClip::onSave);
    connect(ui->btnClip, &QPushButton::clicked, this, &DlgVideoClip::onClip);
    connect(ui->btnReRecord, &QPushButton::clicked, this, &DlgVideoClip::onReRecord);
    // Connected before the player exists: it may report from its own thread at once.
    SignalsTransfer* hub = SignalsTransfer::instance();
    connect(hub, &SignalsTransfer::OnTrimOK, this, &DlgVideoClip::onTrimOK, Qt::QueuedConnection);
    connect(hub, &SignalsTransfer::OnExportCompleted, this, &DlgVideoClip::onExportCompleted, Qt::QueuedConnection);
    connect(hub, &SignalsTransfer::OnTrimCancel, this, &DlgVideoClip::onTrimCancel, Qt::QueuedConnection);
    connect(hub, &SignalsTransfer::OnStatueChanged, this, &DlgVideoClip::onStatueChanged, Qt::QueuedConnection);
    connect(SystemStatusBar::instance(), &SystemStatusBar::sigShowPreview, this,
            [this] {
                if (isHidden() || isMinimized())
                    showNormal();
                raise();
                activateWindow();
            },
            Qt::QueuedConnection);

    createPlayer();
    setupWorkerThread();
    initLengths();

    m_pProgressTimer = new QTimer;
    connect(m_pProgressTimer, &QTimer::timeout, this, &DlgVideoClip::onUpdateProgressBar);

    if (!m_bSaveDirectly) {
        ui->stackedWidget->setCurrentWidget(ui->pageClip);
    } else {
        ui->stackedWidget->setCurrentWidget(ui->pageWaiting);
        QTimer::singleShot(kDirectSaveDelayMs, this, &DlgVideoClip::onSave);
    }
    onUpdateProgressBar();

    if (!m_strProgressImg.isEmpty()) {
        m_pMovie = new QMovie(m_strProgressImg, QByteArray(), this);
        ui->lblProgress->setMovie(m_pMovie);
        m_pMovie->start();
    }
    postCreateDerivedDialog(false);
}

DlgVideoClip::~DlgVideoClip()
{
    if (m_pMovie)
        m_pMovie->stop();
    if (m_pWorker)
        m_pWorker->cancel();
    m_workerThread.quit();
    m_workerThread.wait();
    m_pClipManager.reset();
    delete m_pProgressTimer;
    ui.reset();
    RecordState::instance()->closePreview();
}

double DlgVideoClip::DateTimeToSecond(const QDateTime& time)
{
    const QTime t = time.time();
    return t.msec() / 1000.0 + t.second() + t.minute() * 60 + t.hour() * 3600;
}

QString DlgVideoClip::lengthText(double seconds)
{
    return QLocale::c().toString(timeOf(seconds), QStringLiteral("hh:mm:ss.zzz"));
}

bool DlgVideoClip::sameLength(double a, double b)
{
    return qAbs(a - b) * 1000000000000.0 <= qMin(qAbs(a), qAbs(b));
}

QString DlgVideoClip::initialClipFile() const
{
    if (!m_bVideo)
        return m_strSourceFile + QStringLiteral("_clip.");
    const QFileInfo source(m_strSourceFile);
    return source.absolutePath() + QLatin1Char('/') + source.completeBaseName() + QStringLiteral("_clip.")
        + source.suffix();
}

void DlgVideoClip::createPlayer()
{
    m_bPlayerReady = false;
    m_pClipManager.reset(new AVClipManager);
    if (!m_bVideo)
        m_pClipManager->createAudioPlayer(ui->wdgRender);
    else if (!m_bSaveDirectly)
        m_pClipManager->createVideoPlayer(m_strSourceFile, ui->wdgRender);
    m_pClipManager->setControlsStyle(ControlsStyleFloating);
}

void DlgVideoClip::setupWorkerThread()
{
    Log(kModule, 1, "onCopyThread save");
    m_pWorker = new SelectSavePath;
    m_pWorker->moveToThread(&m_workerThread);
    connect(&m_workerThread, &QThread::finished, m_pWorker, &QObject::deleteLater);
    connect(this, &DlgVideoClip::sigSave, m_pWorker, &SelectSavePath::saveWork);
    connect(m_pWorker, &SelectSavePath::completed, this, &DlgVideoClip::onCompleted);
    connect(m_pWorker, &SelectSavePath::sigPathFailed, this, &DlgVideoClip::onPathFailed);
    connect(m_pWorker, &SelectSavePath::sigInputMissing, this, &DlgVideoClip::onInputMissing);
    m_workerThread.start(QThread::InheritPriority);
}

void DlgVideoClip::initLengths()
{
    m_dTotalLength = m_bVideo ? Utils::getMediaDuration(m_strSourceFile) : Utils::getAudioDuration();
    m_dClipLength = m_dTotalLength;
    const QTime zero(0, 0);
    for (QDateTimeEdit* edit : {ui->dteStart, ui->dteEnd}) {
        edit->setMinimumTime(zero);
        edit->setMaximumTime(timeOf(m_dTotalLength));
    }
    ui->dteStart->setTime(zero);
    ui->dteEnd->setTime(timeOf(m_dTotalLength));
    showClipLength();
}

void DlgVideoClip::showClipLength() { ui->lblDuration->setText(lengthText(m_dClipLength)); }

void DlgVideoClip::onStatueChanged(int status)
{
    if (status == AVPlayerItemStatusReadyToPlay) {
        m_bPlayerReady = true;
        ui->btnClip->setEnabled(true);
        if (!sameLength(m_dClipLength, m_dTotalLength)) {
            // A player made anew after a failed export starts untrimmed: give it the chosen range.
            m_pClipManager->setTrimmEnd(m_dTrimEnd);
            m_pClipManager->setTrimmBegin(m_dTrimBegin);
        }
    } else if (status == AVPlayerItemStatusFailed) {
        m_bPlayerReady = false;
        const int answer = Utils::showMacWindowMessage(
            MT_WARNING, this,
            tr("Previewing error! (Error code: 5001), you can click OK to give feedback on this issue."),
            MB_OKCANCEL);
        if (answer == OvMessageBox::Ok)
            FeedBackDialog::showFeedBack(this);
        reject();
    }
}

void DlgVideoClip::onClip()
{
    if (!m_bPlayerReady)
        return;
    ui->btnClip->setEnabled(false);
    m_bTrimming = m_pClipManager->beginTrimming();
    if (!m_bTrimming) {
        Log(kModule, 2, "the trim controls did not open");
        ui->btnClip->setEnabled(true);
        Utils::showMacWindowMessage(MT_WARNING, this, tr("The recording cannot be clipped now. Please try again."),
                                    MB_OK);
    }
}

void DlgVideoClip::onTrimOK(double trimBegin, double trimEnd)
{
    ui->btnClip->setEnabled(true);
    m_pClipManager->Seek(trimBegin);
    m_dTrimBegin = trimBegin;
    m_dTrimEnd = trimEnd;
    m_dClipLength = trimEnd - trimBegin;
    for (QDateTimeEdit* edit : {ui->dteStart, ui->dteEnd}) {
        const QSignalBlocker block(edit);
        edit->setTime(timeOf(edit == ui->dteStart ? trimBegin : trimEnd));
        edit->setEnabled(false);
    }
    showClipLength();
    m_bTrimming = false;
}

void DlgVideoClip::onTrimCancel()
{
    m_bTrimming = false;
    ui->btnClip->setEnabled(true);
    ui->dteStart->setEnabled(false);
    ui->dteEnd->setEnabled(false);
}

void DlgVideoClip::onSave()
{
    if (!m_strPendingSave.isEmpty()) {
        // A save failed earlier and the user came back: the file is ready, send it again.
        startSave(m_strPendingSave, Utils::getVideoOutputPath());
        return;
    }
    m_pClipManager->pause();
    ui->stackedWidget->setCurrentWidget(ui->pageWaiting);

    if (!m_bVideo) {
        OvSettings::instance()->setApplicationParam(
            QLatin1String(SettingsKeys::kClipDuration), QLocale::c().toString(timeOf(m_dClipLength), QStringLiteral("hh:mm:ss")));
        m_pProgressTimer->start(kSaveProgressMs);
        Log(kModule, 1, "Audio to Export");
        const QString converted = m_pClipManager->AudioExport(m_strClipFile);
        if (converted.isEmpty()) {
            failedToStart(QStringLiteral("audio conversion"));
            return;
        }
        m_strClipFile = converted;
        m_bPlayerReady = false; // the converter took the place of the audio player
        m_bTrimming = m_bExporting = true; // a running conversion is cancelled like the trim controls
    } else if (!sameLength(m_dClipLength, m_dTotalLength)) {
        if (QFile::exists(m_strClipFile))
            QFile::remove(m_strClipFile);
        m_pProgressTimer->start(kExportProgressMs);
        if (!m_pClipManager->exportToFile(m_strClipFile)) {
            failedToStart(QStringLiteral("export"));
            return;
        }
        m_bTrimming = m_bExporting = true; // a running export is cancelled like the trim controls
        Log(kModule, 1, "begin to export");
    } else {
        m_strClipFile = m_strSourceFile;
        m_pProgressTimer->start(kSaveProgressMs);
        m_bSaving = true;
        m_pClipManager->exportCancel();
        m_bPlayerReady = false;
        startSave(m_strClipFile, Utils::getVideoOutputPath());
    }
    onUpdateProgressBar();
}

void DlgVideoClip::failedToStart(const QString& what)
{
    Log(kModule, 2, "%s did not start", what.toUtf8().constData());
    restorePlayer();
    backToClipPage();
    Utils::showMacWindowMessage(MT_WARNING, this,
                                tr("Saving the recording could not be started. You can try again, or record again."),
                                MB_OK);
}

void DlgVideoClip::backToClipPage()
{
    m_pProgressTimer->stop();
    m_bSaving = false;
    ui->btnClip->setEnabled(m_bPlayerReady);
    ui->stackedWidget->setCurrentWidget(ui->pageClip);
}

void DlgVideoClip::restorePlayer()
{
    m_bTrimming = m_bExporting = false;
    m_strClipFile = initialClipFile();
    createPlayer();
}

void DlgVideoClip::startSave(const QString& file, const QString& folder, bool documentsFallback)
{
    m_strPendingSave = file;
    const QString target = folder.isEmpty() ? Utils::getVideoOutputPath() : folder;
    m_strSaveFolder = target;
    m_bDocumentsFallback = documentsFallback;
    m_bSaving = true;
    ui->stackedWidget->setCurrentWidget(ui->pageWaiting);
    if (!m_pProgressTimer->isActive())
        m_pProgressTimer->start(kSaveProgressMs);
    emit sigSave(file, target);
}

void DlgVideoClip::onExportCompleted(bool bSuccessed)
{
    if (!m_bExporting) {
        // Only an export or conversion of this dialog that is still running ends here.
        Log(kModule, 1, "a completion arrived with no export running");
        return;
    }
    if (m_pReRecord) {
        // The question came too late: the export has ended. The pointer clears itself on deletion.
        m_pReRecord->reject();
        m_pReRecord->deleteLater();
    }
    m_bTrimming = m_bExporting = false;
    m_pClipManager->exportCancel();
    m_bPlayerReady = false;
    if (!bSuccessed) {
        // The recording is untouched: the user may save it again, clip it anew or discard it.
        Log(kModule, 2, "Export Completed is failure");
        restorePlayer();
        backToClipPage();
        Utils::showMacWindowMessage(
            MT_WARNING, this,
            tr("The recording could not be exported. It is kept: you can save it again, or record again."), MB_OK);
        return;
    }
    Log(kModule, 1, "Export Completed is Successeful");
    m_bSaving = true;
    startSave(m_strClipFile, Utils::getVideoOutputPath());
}

void DlgVideoClip::onUpdateProgressBar()
{
    double value = 0.0;
    if (m_bSaving)
        value = m_pWorker ? m_pWorker->getUpdateProgress() * 100.0 : 0.0;
    else if (m_bVideo)
        value = m_pClipManager->getExportProgress() * 100.0;
    else
        value = m_pClipManager->getAudioConvertProgress() * 100.0;
    ui->lblInfo->setText(tr("Saving please wait %1%").arg(value, 0, 'f', 1));
}

void DlgVideoClip::onCompleted(const QString& path, int type, const QString& resolution, const QString& duration,
                               const QString& size)
{
    SignalsTransfer::instance()->addHistoryFile(path, type, resolution, duration, size);
    if (m_bDocumentsFallback) {
        // The user chose no folder, yet the saved folder is the output folder from now on.
        Utils::showMacWindowMessage(
            MT_INFO, this,
            tr("No folder was chosen, so the recording was saved as \"%1\".\n\"%2\" is now your output folder.")
                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(m_strSaveFolder)),
            MB_OK);
    }
    finishAccepted();
}

void DlgVideoClip::finishAccepted()
{
    m_bSaving = false;
    m_strPendingSave.clear();
    m_pProgressTimer->stop();
    Utils::removeTempRoot(m_strSourceFile);
    m_pClipManager->deleteTempFile();
    accept();
}

void DlgVideoClip::onAccept() { finishAccepted(); }

void DlgVideoClip::onPathFailed(const QString& err)
{
    Utils::showMacWindowMessage(MT_WARNING, this, err, MB_OK);
    QString folder
        = OvFileDialog::getExistingDirectory(this, tr("Select output folder"), Utils::getVideoOutputPath());
    if (folder.isEmpty()) {
        // No folder chosen: the Documents folder of the company takes the recording (and, as
        // every folder saved into, becomes the output folder), unless it is the one that just
        // failed; then the recording waits on the clip page.
        const QString documents = Utils::getOriginalVideoOutputPath();
        if (QDir::cleanPath(m_strSaveFolder) == QDir::cleanPath(documents)) {
            Log(kModule, 1, "save folder not chosen, the Documents folder failed; back to the clip page");
            backToClipPage();
            return;
        }
        Log(kModule, 1, "save folder not chosen; saving into the Documents folder");
        QDir().mkpath(documents);
        startSave(m_strPendingSave, documents, true);
        return;
    }
    startSave(m_strPendingSave, folder);
}

void DlgVideoClip::onInputMissing(const QString& err)
{
    m_pProgressTimer->stop();
    m_bSaving = false;
    Utils::showMacWindowMessage(MT_WARNING, this, err, MB_OK);
    reject();
}

void DlgVideoClip::onReRecord()
{
    if (!m_pReRecord) {
        m_pReRecord = new DlgReRecord(this);
        m_pReRecord->setWindowModality(Qt::WindowModal);
    }
    if (m_pReRecord->storedAnswer() == 0) {
        const QPointer<DlgReRecord> prompt = m_pReRecord;
        const int answer = prompt->exec();
        if (answer != QDialog::Accepted)
            return;
    }
    SignalsTransfer* hub = SignalsTransfer::instance();
    disconnect(hub, &SignalsTransfer::OnExportCompleted, this, &DlgVideoClip::onExportCompleted);
    disconnect(hub, &SignalsTransfer::OnStatueChanged, this, &DlgVideoClip::onStatueChanged);
    delete m_pReRecord.data();

    m_pClipManager->pause();
    if (m_bTrimming) {
        m_pClipManager->exportCancel();
        m_bTrimming = m_bExporting = false;
    }
    m_pProgressTimer->stop();
    // The user chose to throw this recording away: its scratch files go now, or the next
    // start would take them for a recording that survived a crash.
    m_pClipManager->deleteTempFile();
    Utils::removeTempRoot(m_strSourceFile);
    reject();
}

void DlgVideoClip::onSetStart(QDateTime start)
{
    const double begin = DateTimeToSecond(start);
    m_pClipManager->setTrimmBegin(begin);
    ui->dteEnd->setMinimumDateTime(start);
    m_dClipLength = DateTimeToSecond(ui->dteEnd->dateTime()) - begin;
    showClipLength();
}

void DlgVideoClip::onSetEnd(QDateTime end)
{
    const double finish = DateTimeToSecond(end);
    m_pClipManager->setTrimmEnd(finish);
    ui->dteStart->setMaximumDateTime(end);
    m_dClipLength = finish - DateTimeToSecond(ui->dteStart->dateTime());
    showClipLength();
}

void DlgVideoClip::onCancelExport()
{
    m_pProgressTimer->stop();
    if (m_bExporting) {
        m_pClipManager->exportCancel();
        m_bTrimming = m_bExporting = false;
        m_bPlayerReady = false;
    }
    ui->stackedWidget->setCurrentWidget(ui->pageClip);
}

void DlgVideoClip::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        showNormal();
    event->accept();
}

void DlgVideoClip::closeEvent(QCloseEvent* event)
{
    event->ignore();
    onReRecord();
}

void DlgVideoClip::showEvent(QShowEvent* event)
{
    OvDialogBase::showEvent(event);
    RecordParameter* param = RecordParameter::instance();
    if (!param->isOnlyRecordCamera() && param->getCamerastream())
        emit SignalsTransfer::instance()->cameraDlgClose();
}
