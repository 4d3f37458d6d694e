#include "CameraDlg.h"

#include "CameraPhoto.h"
#include "Log.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "app/MainWindowBase.h"
#include "core/RecordState.h"
#include "core/CameraManager.h"
#include "core/DeviceManager.h"
#include "core/RecordParameter.h"
#include "core/SettingsKeys.h"
#include "core/SignalsTransfer.h"
#include "feedback/FeedBackDialog.h"
#include "output/DlgVideoClip.h"
#include "recording/RecordStopRules.h"
#include "recording/SystemStatusBar.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"
#include "ui_CameraDlg.h"
#include "widgets/OvComboboxViewItemDelegate.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

namespace {
const char kModule[] = "camera";
// The window's top-left corner (a point) and its overlay size.
const char* const kWindowPosKey = SettingsKeys::kCameraWindowPos;
const char* const kSizeKey = SettingsKeys::kCameraSize;
const char* const kMicKey = SettingsKeys::kCameraMicEnable;
const char* const kOutputKey = SettingsKeys::kCameraOutput;
const char kTempName[] = "/.CaptureCamera.mov";
// The engine writes a recording beside its path under this suffix until it is finished; it
// stays there when the finished file could not be made.
const char kProgressSuffix[] = ".recording.mp4";
const int kTickMs = 500;
// After a task's recording was saved, its finishing action starts this much later.
const int kTaskCompleteDelayMs = 500;
// Camera names at least this wide are shown elided to one pixel less.
const int kCameraNameWidth = 151;

QVariant setting(const char* key, const QVariant& def)
{
    return OvSettings::instance()->applicationParam(QString::fromLatin1(key), def);
}
void setSetting(const char* key, const QVariant& value)
{
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(key), value);
}

QString twoDigits(qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

QString sizeWithUnit(qint64 bytes)
{
    double value = 0;
    const QString unit = Utils::getUtilOfSize(bytes, value);
    return QStringLiteral("%1 %2").arg(QString::asprintf("%.2f", value), unit);
}
} // namespace

CameraDlg::CameraDlg(bool onlyCamera, QWidget* parent)
    : OvDialogBase(parent)
    , ui(new Ui::CameraDlg)
    , m_bOnlyCamera(onlyCamera)
{
    ui->setupUi(this);
    ui->frmSetting->hide();
    if (m_bOnlyCamera) {
        m_pUpdateTimer = new QTimer;
        m_pUpdateTimer->setInterval(kTickMs);
        connect(m_pUpdateTimer, &QTimer::timeout, this, &CameraDlg::onUpdateInfo);
        m_pStopTimer = new QTimer(this);
        m_pStopTimer->setSingleShot(true);
        m_pStopTimer->setTimerType(Qt::PreciseTimer);
        connect(m_pStopTimer, &QTimer::timeout, this, &CameraDlg::onPlannedStop);
        setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
        setWindowTitle(tr("Webcam Recorder"));
        initFrmSetting();
    } else {
        setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint);
        setWindowTitle(QStringLiteral("Webcam Recorder"));
        // Above everything while the screen is recorded, so that it is in the recording;
        // otherwise an ordinary window, under the preview and the dialogs that follow.
        followScreenRecording(RecordState::instance()->state());
        connect(RecordState::instance(), &RecordState::stateChanged, this, &CameraDlg::followScreenRecording);
    }
    setAttribute(Qt::WA_TranslucentBackground, false);
    ui->cmbCamera->installEventFilter(this);
    fillDevices();

    CameraManager* camera = CameraManager::instance();
    if (ui->cmbCamera->count() > 0)
        camera->openCamera(ui->wdgRender, m_bOnlyCamera);

    SignalsTransfer* hub = SignalsTransfer::instance();
    connect(hub, &SignalsTransfer::cameraRecordError, this, &CameraDlg::onRecordingError, Qt::QueuedConnection);
    connect(hub, &SignalsTransfer::cameraRecordFinish, this, &CameraDlg::onRecordingFinish, Qt::QueuedConnection);
    connect(SystemStatusBar::instance(), &SystemStatusBar::sigShowCamera, this, &QWidget::showNormal);
    // An overlay window leaves the state of a screen recording alone.
    if (m_bOnlyCamera)
        RecordState::instance()->end();
    postCreateDerivedDialog(m_bOnlyCamera, false, nullptr);
}

CameraDlg::~CameraDlg()
{
    if (!m_bOnlyCamera)
        setSetting(kSizeKey, size());
    setSetting(kWindowPosKey, pos());
    CameraManager::release();
    delete m_pUpdateTimer;
    if (m_pDelegate)
        m_pDelegate->deleteLater();
    if (m_bOnlyCamera)
        RecordParameter::instance()->setOnlyRecordCamera(false);
}

void CameraDlg::setMainWindowBase(MainWindowBase* mainWindow) { m_pMainWnd = mainWindow; }

void CameraDlg::followScreenRecording(int state)
{
    const bool recording = state == RecordState::Countdown || state == RecordState::Recording
                           || state == RecordState::Paused;
    const Qt::WindowFlags flags = recording ? windowFlags() | Qt::WindowStaysOnTopHint
                                            : windowFlags() & ~Qt::WindowStaysOnTopHint;
    if (flags == windowFlags())
        return;
    // Changed in place: the window is neither hidden nor made anew.
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle())
        window->setFlags(flags);
    if (recording && isVisible())
        raise();
}

// ---- set-up -----------------------------------------------------------------------------------

void CameraDlg::initFrmSetting()
{
    ui->frmSetting->show();
    ui->btnRec->show();
    ui->frmDevices->show();
    ui->frmMic->show();
    ui->btnStop->hide();
    ui->frmSize->hide();
    ui->frmPause->hide();
    m_pDelegate = new OvComboboxViewItemDelegate(ui->cmbCamera);
    ui->cmbCamera->setItemDelegate(m_pDelegate);
    applyDelegateColors();
    connect(ui->btnSnapshot, &QToolButton::clicked, this, &CameraDlg::snapshot);
    connect(ui->cmbCamera, qOverload<int>(&QComboBox::currentIndexChanged), this, &CameraDlg::onCameraItemChanged);
    connect(ui->btnMic, &QToolButton::clicked, this, &CameraDlg::changeMicState);
    connect(ui->btnMicOff, &QToolButton::clicked, this, &CameraDlg::changeMicState);
    connect(ui->btnPause, &QToolButton::clicked, this, &CameraDlg::onPause);
    connect(ui->btnResume, &QToolButton::clicked, this, &CameraDlg::onResume);
    DeviceManager* devices = DeviceManager::instance();
    m_bMicOn = devices->getAudioCaptureDeviceCount() > 0
               && devices->isPermissionMicrophone() == DeviceManager::kPermissionGranted
               && setting(kMicKey, false).toBool();
    showMicState();
    ui->btnPause->hide();
    ui->btnResume->hide();
}

void CameraDlg::fillDevices()
{
    const QSignalBlocker blocker(ui->cmbCamera);
    const QFontMetrics metrics(font());
    for (const QString& name : CameraManager::instance()->getCameras()) {
        const QString text = metrics.horizontalAdvance(name) >= kCameraNameWidth
                                 ? metrics.elidedText(name, Qt::ElideRight, kCameraNameWidth - 1)
                                 : name;
        ui->cmbCamera->addItem(text, name);
    }
    DeviceManager* devices = DeviceManager::instance();
    for (int i = 0; i < devices->getAudioCaptureDeviceCount(); ++i)
        ui->cmbMicrophone->addItem(devices->getAudioCaptureDeviceInfo(i));
    ui->btnStop->hide();
    ui->cmbMicrophone->hide();
}

void CameraDlg::applyDelegateColors()
{
    if (!m_pDelegate)
        return;
    ensurePolished();
    m_pDelegate->setTextColorH(m_colorHover);
    m_pDelegate->setTextColorN(m_colorNormal);
    m_pDelegate->setBacColorH(m_colorBacHover);
    m_pDelegate->setBacColorN(m_colorBacNormal);
}

void CameraDlg::resizeView()
{
    setMinimumSize(kMinWidth, kMinHeight);
    ui->frmView->setMinimumSize(kMinWidth, kMinHeight);
    const QSize stored = setting(kSizeKey, QSize(kDefaultWidth, kDefaultHeight)).toSize();
    resize(stored.expandedTo(QSize(kMinWidth, kMinHeight)));
}

void CameraDlg::onCameraItemChanged(int index)
{
    const QString name = ui->cmbCamera->itemData(index).toString();
    if (m_eState == Idle && CameraManager::instance()->getCameras().contains(name))
        CameraManager::instance()->openCamera(name, ui->wdgRender, m_bOnlyCamera);
}

void CameraDlg::changeMicState()
{
    if (DeviceManager::instance()->getAudioCaptureDeviceCount() == 0)
        m_bMicOn = false;
    else
        m_bMicOn = !m_bMicOn && DeviceManager::instance()->isPermissionMicrophone() == DeviceManager::kPermissionGranted;
    showMicState();
    setSetting(kMicKey, m_bMicOn);
}

void CameraDlg::showMicState()
{
    ui->btnMic->setVisible(m_bMicOn);
    ui->btnMicOff->setVisible(!m_bMicOn);
}

// ---- recording ---------------------------------------------------------------------------------

void CameraDlg::startOrStop()
{
    Log(kModule, 1, "startOrStop");
    if (m_eState == Idle)
        on_btnRec_clicked();
    else
        on_btnStop_clicked();
}

void CameraDlg::pauseOrResume()
{
    if (RecordParameter::instance()->m_bPause)
        onResume();
    else
        onPause();
}

void CameraDlg::on_btnRec_clicked()
{
    Log(kModule, 1, "start record");
    RecordParameter* param = RecordParameter::instance();
    if (!m_bOnlyCamera || m_eState != Idle || param->m_bRecording || param->m_bPreview) {
        Log(kModule, 1, "start record cancel, recording:%d, preview:%d", bool(param->m_bRecording),
            bool(param->m_bPreview));
        return;
    }
    ui->lblLength->setText(QStringLiteral("00:00:00"));
    m_strTempFile = Utils::getRecorderTmpRoot() + QLatin1String(kTempName);
    QFile::remove(m_strTempFile);
    // What an earlier failed end left is kept aside, never removed.
    const QString leftover = m_strTempFile + QLatin1String(kProgressSuffix);
    if (QFileInfo::exists(leftover))
        QFile::rename(leftover, FileSystemUtils::freeFilePath(Utils::getRecorderTmpRoot(), QStringLiteral("CaptureCamera_kept"),
                                                              QStringLiteral("mp4")));
    setSetting(kOutputKey, m_strTempFile);
    const QString microphone = m_bMicOn ? ui->cmbMicrophone->currentText() : QString();
    if (!CameraManager::instance()->record(m_strTempFile, microphone)) {
        Log(kModule, 2, "camera recording could not start");
        TaskManage::instance()->m_bTasking = false;
        showFeedbackBox(tr("Webcam recording failed, (error code: 1001), you can click OK to give feedback on this issue."));
        return;
    }
    m_eState = Recording;
    m_bErrorShown = false;
    m_nPendingEnd = -1;
    m_pRules.reset(new CameraTickRules(CameraTickRules::fromParameter(), [] {
        bool ok = false;
        const qint64 free = Utils::freeDiskSize(Utils::getRecorderTmpRoot(), ok);
        return ok ? free : qint64(-1);
    }));
    RecordState::instance()->startRecording(RecordState::Webcam);
    hide();
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint | Qt::WindowMinMaxButtonsHint);
    show();
    showRecordingControls();
    m_pUpdateTimer->start();
}

void CameraDlg::showRecordingControls()
{
    ui->btnPause->show();
    ui->btnResume->hide();
    ui->btnStop->setEnabled(false);
    RecordState::instance()->allowStop(false);
    ui->btnRec->hide();
    ui->btnStop->show();
    ui->frmSize->show();
    ui->frmPause->show();
    ui->frmDevices->hide();
    ui->frmMic->hide();
}

void CameraDlg::showIdleControls()
{
    showMicState();
    ui->btnRec->show();
    ui->btnStop->hide();
    ui->frmSize->hide();
    ui->frmDevices->show();
    ui->frmPause->hide();
    ui->frmMic->show();
}

void CameraDlg::onUpdateInfo()
{
    if (m_eState != Recording || !m_pRules)
        return;
    CameraManager* camera = CameraManager::instance();
    const qint64 size = camera->getVideoFileSize();
    const double duration = qMax(0.0, camera->getVideoDuration());
    const qint64 seconds = qint64(duration);
    const CameraTickRules::Result result = m_pRules->tick(seconds);
    if (result.stopEnabled) {
        ui->btnStop->setEnabled(true);
        RecordState::instance()->allowStop(true);
    }
    switch (result.action) {
    case CameraTickRules::StopLowSpace:
        // No further tick while the user reads why the recording ends.
        stopTicks();
        onPause();
        Utils::showMacWindowMessage(
            MT_WARNING, this,
            tr("The recording has automatically stopped due to insufficient recording space. If you want to record "
               "longer videos, please make sure that the temporary directory (which can be changed in the Settings) has "
               "enough disk space before recording."),
            MB_OK);
        stopRecording(true);
        return;
    case CameraTickRules::StopTask:
    case CameraTickRules::StopTimer:
        stopRecording(false);
        return;
    case CameraTickRules::Continue: armPlannedStop(duration); break;
    }
    const QString time
        = QStringLiteral("%1:%2:%3").arg(twoDigits(seconds / 3600), twoDigits(seconds / 60 % 60), twoDigits(seconds % 60));
    const QString sizeText = QStringLiteral("%1/%2").arg(sizeWithUnit(size), sizeWithUnit(m_pRules->lastFreeSpace()));
    ui->lblLength->setText(time);
    ui->lblSize->setText(sizeText);
    SystemStatusBar::instance()->setRecordInfo(time, sizeText);
}

void CameraDlg::armPlannedStop(double recorded)
{
    const qint64 at = m_pRules->plannedStopAfter(recorded);
    if (at < 0) {
        m_pStopTimer->stop();
        return;
    }
    m_pStopTimer->start(RecordStopRules::millisecondsUntil(at, recorded));
}

void CameraDlg::onPlannedStop()
{
    if (m_eState != Recording || !m_pRules)
        return;
    const double recorded = qMax(0.0, CameraManager::instance()->getVideoDuration());
    if (m_pRules->plannedStop(qint64(recorded)) == CameraTickRules::Continue)
        armPlannedStop(recorded);
    else
        stopRecording(true); // a planned end comes only once Stop is offered
}

void CameraDlg::stopTicks()
{
    m_pUpdateTimer->stop();
    m_pStopTimer->stop();
}

void CameraDlg::onPause()
{
    if (m_eState != Recording)
        return;
    ui->btnPause->hide();
    ui->btnResume->show();
    if (CameraManager::instance()->isCameraRunning()) {
        // The recorded time stands still until the resume, which ticks and times the stop again.
        stopTicks();
        CameraManager::instance()->pause();
        RecordState::instance()->pause();
    }
}

void CameraDlg::onResume()
{
    if (m_eState != Recording)
        return;
    ui->btnPause->show();
    ui->btnResume->hide();
    if (CameraManager::instance()->isCameraRunning()) {
        m_pUpdateTimer->start();
        CameraManager::instance()->resume();
        RecordState::instance()->resume();
    }
    onUpdateInfo();
}

void CameraDlg::on_btnStop_clicked() { stopRecording(false); }

void CameraDlg::stopRecording(bool forced)
{
    if (m_eState != Recording || (!forced && !ui->btnStop->isEnabled()))
        return;
    showIdleControls();
    RecordState::instance()->finish();
    stopTicks();
    m_eState = Finishing;
    const bool stopped = CameraManager::instance()->stopRecord();
    if (!stopped) {
        // No end will be reported: the user hears of it, and what was written is offered.
        Log(kModule, 2, "stop camera recording error!");
        m_eState = Idle;
        finishRecording(true);
    }
}

void CameraDlg::onRecordingError()
{
    if (m_eState == Idle)
        return;
    RecordState::instance()->finish();
    TaskManage::instance()->m_bTasking = false;
    showIdleControls();
    stopTicks();
    // The engine finishes what was recorded and reports its end afterwards.
    m_eState = Finishing;
    m_bErrorShown = true;
    m_bShowingError = true;
    showFeedbackBox(tr("Webcam recording failed, (error code: 1001), you can click OK to give feedback on this issue."));
    m_bShowingError = false;
    if (m_nPendingEnd >= 0) {
        const bool failed = m_nPendingEnd == 1;
        m_nPendingEnd = -1;
        onRecordingFinish(failed);
    }
}

void CameraDlg::onRecordingFinish(bool failed)
{
    if (m_eState == Idle)
        return;
    if (m_bShowingError) {
        m_nPendingEnd = failed ? 1 : 0;
        return;
    }
    m_eState = Idle;
    stopTicks();
    showIdleControls();
    finishRecording(failed);
}

void CameraDlg::finishRecording(bool failed)
{
    if (failed) {
        TaskManage::instance()->m_bTasking = false;
        if (!m_bErrorShown)
            showFeedbackBox(
                tr("Failed to save file, (error code: 1002), you can click OK to give feedback on this issue."));
        // Whatever could be written is still offered.
        const QString written = QFileInfo(m_strTempFile).isFile() ? m_strTempFile
                                                                  : m_strTempFile + QLatin1String(kProgressSuffix);
        if (QFileInfo(written).isFile() && QFileInfo(written).size() > 0)
            runPreview(written);
        RecordState::instance()->end();
        closeWhenDone();
        return;
    }
    Log(kModule, 1, "stop camera recording success!");
    runPreview(m_strTempFile);
    afterPreview();
    RecordState::instance()->end();
    closeWhenDone();
}

void CameraDlg::runPreview(const QString& file)
{
    RecordParameter* param = RecordParameter::instance();
    TaskManage* tasks = TaskManage::instance();
    const bool tasking = tasks->m_bTasking;
    const bool timer = param->timerEnable();
    const bool saveDirectly = param->isAutoSave() || tasking || timer;
    hide();
    OvMainWindowBase* mainWindow = m_pMainWnd ? m_pMainWnd.data() : qobject_cast<OvMainWindowBase*>(tasks->mainWidBase());
    int result = QDialog::Rejected;
    {
        DlgVideoClip dialog(file, mainWindow, mainWindow, true, saveDirectly);
        result = dialog.exec();
    }
    if (result == QDialog::Accepted && !tasking && !timer)
        emit SignalsTransfer::instance()->showHistory();
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    if (!m_bCloseWhenDone)
        show();
}

void CameraDlg::afterPreview()
{
    if (TaskManage::instance()->m_bTasking) {
        QTimer::singleShot(kTaskCompleteDelayMs, this, [this] { TaskManage::instance()->taskCompleted(this, 0); });
        return;
    }
    TaskManage::instance()->finishTimedRecording(this, kTaskCompleteDelayMs);
}

void CameraDlg::showFeedbackBox(const QString& text)
{
    SystemStatusBar* status = SystemStatusBar::instance();
    status->setActionEnable(false);
    const int answer = OvMessageBox::information(this, OvProductInfo::instance()->productName(), text,
                                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer == QMessageBox::Ok)
        FeedBackDialog::showFeedBack(this);
    status->setActionEnable(true);
}

void CameraDlg::closeWhenDone()
{
    if (!m_bCloseWhenDone)
        return;
    m_bCloseWhenDone = false;
    QTimer::singleShot(0, this, &QWidget::close);
}

// ---- photos ------------------------------------------------------------------------------------

void CameraDlg::snapshot()
{
    if (m_bTakingPhoto)
        return;
    m_bTakingPhoto = true;
    if (CameraManager::instance()->isCameraRunning())
        CameraPhoto::take(QStringLiteral("Camera_"), this, geometry());
    m_bTakingPhoto = false;
}

// ---- window events -------------------------------------------------------------------------------

void CameraDlg::closeEvent(QCloseEvent* event)
{
    if (m_eState == Recording) {
        event->ignore();
        const int answer = OvMessageBox::question(
            this, OvProductInfo::instance()->productName(),
            tr("A webcam recording is running. Do you want to stop it and save it before the window closes?"),
            QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer != QMessageBox::Yes || m_eState != Recording)
            return;
        m_bCloseWhenDone = true;
        stopRecording(true);
        return;
    }
    if (m_eState == Finishing) {
        // The end of the recording is on its way: the window closes after its preview.
        event->ignore();
        m_bCloseWhenDone = true;
        return;
    }
    emit closes(false);
    OvDialogBase::closeEvent(event);
}

void CameraDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // Through closing, so that a running recording is never dropped.
        close();
        return;
    }
    OvDialogBase::keyPressEvent(event);
}

void CameraDlg::showEvent(QShowEvent* event)
{
    applyDelegateColors();
    OvDialogBase::showEvent(event);
}

void CameraDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    OvDialogBase::changeEvent(event);
}

bool CameraDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->cmbCamera && event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), ui->cmbCamera->currentText(), ui->cmbCamera);
        return true;
    }
    return OvDialogBase::eventFilter(watched, event);
}
