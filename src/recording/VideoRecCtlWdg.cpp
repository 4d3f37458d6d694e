#include "VideoRecCtlWdg.h"
#include "ui_VideoRecCtlWdg.h"

#include "Log.h"
#include "OvFileUtils.h"
#include "OvMainWindowBase.h"
#include "OvMessageBox.h"
#include "capture_tools/DlgPaintToScreen.h"
#include "capture_tools/FfColor.h"
#include "capture_tools/SnapshotFile.h"
#include "core/RecordState.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "core/SignalsTransfer.h"
#include "feedback/FeedBackDialog.h"
#include "output/DlgVideoClip.h"
#include "recording/SystemStatusBar.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"

#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QPixmap>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTime>
#include <QTimer>

namespace {
const char* const kModule = "VideoRecCtlWdg";
// Gap between the region and the bar.
const int kGap = 6;
// A bar placed on a screen stands this far below its top edge; one that sits on the
// recorded area, this far above the area's bottom edge.
const int kScreenTopMargin = 40;
const int kOnRegionBottomMargin = 60;
// Where a bar goes when there is no screen at all.
const QRect kFallbackScreen(0, 0, 1280, 800);
// The tick while recording, and how often the finishing's progress is shown.
const int kTickMs = 1000;
const int kFinishPollMs = 100;
// The thumbnail of a picture taken while recording: its largest side, and how long it takes
// to fly into the bar.
const int kFlyOutWidth = 240;
const int kFlyOutMs = 700;

QList<QRect> screenRects()
{
    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    return screens;
}
} // namespace

// The bar places and stacks itself: a window manager would frame it, move it when it changes
// its size and leave this process with a stale idea of where it is.
VideoRecCtlWdg::VideoRecCtlWdg(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                          | Qt::X11BypassWindowManagerHint)
    , ui(new Ui::VideoRecCtlWdg)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("VideoRecCtlWdg"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);

    connect(ui->btnPause, &QToolButton::clicked, this, &VideoRecCtlWdg::onPause);
    connect(ui->btnResume, &QToolButton::clicked, this, &VideoRecCtlWdg::onResume);
    connect(ui->btnStop, &QToolButton::clicked, this, &VideoRecCtlWdg::onStop);
    connect(ui->btnEdit, &QToolButton::toggled, this, &VideoRecCtlWdg::onEditToggled);
    connect(ui->btnSnapshot, &QToolButton::clicked, this, &VideoRecCtlWdg::onSnapshot);
    connect(ui->btnHide, &QToolButton::clicked, this, &VideoRecCtlWdg::onHideBar);
    // The drawing tool bar draws on the recording's canvas; it has no blur there.
    FfColor* drawing = ui->frameEdit;
    drawing->setHasBlur(false);
    connect(drawing, &FfColor::redo, this, [] { ScreenRecorder::instance()->onCanvasRedo(); });
    connect(drawing, &FfColor::undo, this, [] { ScreenRecorder::instance()->onCanvasUndo(); });
    connect(drawing, &FfColor::startCanvs, this, &VideoRecCtlWdg::onStartCanvs);
    connect(drawing, &FfColor::stopCanvs, this, &VideoRecCtlWdg::onStopCanvs);
    connect(drawing, &FfColor::clear, this, [] { ScreenRecorder::instance()->onCanvasClear(); });
    connect(SignalsTransfer::instance(), &SignalsTransfer::canvasNumChange, drawing, &FfColor::setNumberNumber,
            Qt::QueuedConnection);
    ui->btnEdit->hide();
    ui->btnSnapshot->hide();
    ui->btnHide->hide();
    connect(SignalsTransfer::instance(), &SignalsTransfer::recordError, this, &VideoRecCtlWdg::onRecordError,
            Qt::QueuedConnection);
    connect(SignalsTransfer::instance(), &SignalsTransfer::recordFinished, this, &VideoRecCtlWdg::onRecordFinished,
            Qt::QueuedConnection);

    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &VideoRecCtlWdg::onTick);
    m_pStopTimer = new QTimer(this);
    m_pStopTimer->setSingleShot(true);
    m_pStopTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pStopTimer, &QTimer::timeout, this, &VideoRecCtlWdg::onPlannedStop);
    ui->lblFinishing->hide();
    updatePauseButtons();
}

VideoRecCtlWdg::~VideoRecCtlWdg()
{
    if (m_bRunning || m_bFinishing) {
        // Destroyed before the end of the road (the application quits): the file is
        // finished and kept.
        if (m_bRunning)
            ScreenRecorder::instance()->stop();
        else
            ScreenRecorder::instance()->waitStopped();
        RecordState::instance()->end();
    }
}

bool VideoRecCtlWdg::prepareRecord()
{
    RecordParameter* param = RecordParameter::instance();
    m_bAudioOnly = param->isOnlyRecordAudio();
    ScreenRecorder* recorder = ScreenRecorder::instance();
    const bool screen = !m_bAudioOnly && param->getVideoEnable();
    ui->btnEdit->setVisible(screen);
    ui->btnSnapshot->setVisible(screen);
    // Hidden, the bar comes back only to finish: the status icon must be there to stop.
    ui->btnHide->setVisible(QSystemTrayIcon::isSystemTrayAvailable());
    // A bar that has no place beside the recorded area sits on it; a moving area may come
    // over it anywhere. The recorder blacks its area out wherever the recorded area meets it,
    // so that it is at hand but never in the recording.
    recorder->setHiddenWindows(screen ? QList<quint64>{quint64(winId())} : QList<quint64>());
    m_bPrepared = m_bAudioOnly ? recorder->recordAudio() : recorder->recordVideo();
    Log(kModule, m_bPrepared ? 1 : 2, "prepare %s recording: %s", m_bAudioOnly ? "audio" : "screen",
        m_bPrepared ? "ok" : "failed");
    return m_bPrepared;
}

void VideoRecCtlWdg::startRecord()
{
    RecordParameter* param = RecordParameter::instance();
    if (!m_bPrepared || !ScreenRecorder::instance()->start()) {
        Log(kModule, 2, "the recorder did not start");
        m_bPrepared = false;
        showErrorMessage(nullptr, errorCode(SRE_CaptureOpen));
        emit sigRecordFinished(false);
        return;
    }
    m_bPrepared = false;
    m_bRunning = true;
    m_bPaused = false;
    m_bGif = !m_bAudioOnly && param->getVideoEnable() && param->usedVideoFmt() == RP_FMT_GIF;
    m_nElapsed = 0;
    m_nFileSize = 0;
    m_eStopReason = RecordStopRules::NoStop;
    RecordState::instance()->startRecording(RecordState::Screen);

    const QString tmpRoot = Utils::getRecorderTmpRoot();
    m_pRules.reset(new RecordStopRules(RecordStopRules::fromParameter(), [tmpRoot] {
        bool ok = false;
        const qint64 bytes = Utils::freeDiskSize(tmpRoot + QStringLiteral("/"), ok);
        return ok ? bytes : qint64(-1);
    }));
    m_pTimer->start(kTickMs);
    armPlannedStop(ScreenRecorder::instance()->duration());
    // Drawing needs a recorded area that stays where it is.
    ui->btnEdit->setVisible(!ui->btnEdit->isHidden() && ScreenRecorder::instance()->hasCanvas());
    updatePauseButtons();
    showRecordInfo();

    if (!param->m_bHideCtrlBar)
        placeBar();
    if (param->isBeep())
        QApplication::beep();
    Log(kModule, 1, "recording started");
    emit sigRecordStarted();
}

void VideoRecCtlWdg::placeBar()
{
    adjustSize();
    const QList<QRect> screens = screenRects();
    const QRect region = m_bAudioOnly ? QRect() : RecordParameter::instance()->getVideoRect();
    bool ok = true;
    QPoint pos;
    if (region.isEmpty()) {
        // Nothing on the screen is recorded: the bar goes to the top centre of the first screen.
        const QRect screen = screens.value(0, kFallbackScreen);
        pos = QPoint(screen.center().x() - width() / 2, screen.top() + kScreenTopMargin);
    } else {
        pos = placeOutside(region, size(), screens, &ok);
    }
    if (!ok) {
        // No place outside the recorded area: the bar sits at the bottom of the area, which
        // the recorder blacks out (see prepareRecord).
        pos = QPoint(region.center().x() - width() / 2, region.bottom() + 1 - height() - kOnRegionBottomMargin);
        Log(kModule, 1, "no place outside the recorded area; the bar is hidden from the recording");
    }
    move(pos);
    show();
}

QPoint VideoRecCtlWdg::placeOutside(const QRect& region, const QSize& bar, const QList<QRect>& screens, bool* ok)
{
    const int centreX = region.center().x() - bar.width() / 2;
    const int centreY = region.center().y() - bar.height() / 2;
    const QList<QPoint> candidates{
        QPoint(centreX, region.bottom() + 1 + kGap),           // below
        QPoint(centreX, region.top() - kGap - bar.height()),   // above
        QPoint(region.right() + 1 + kGap, centreY),            // right
        QPoint(region.left() - kGap - bar.width(), centreY),   // left
    };
    for (const QRect& screen : screens) {
        for (QPoint p : candidates) {
            // Slide along the region's edge to stay on the screen.
            p.setX(qBound(screen.left(), p.x(), screen.right() + 1 - bar.width()));
            p.setY(qBound(screen.top(), p.y(), screen.bottom() + 1 - bar.height()));
            const QRect place(p, bar);
            if (screen.contains(place) && !place.intersects(region)) {
                if (ok)
                    *ok = true;
                return p;
            }
        }
    }
    // Another screen that the region does not touch.
    for (const QRect& screen : screens) {
        const QRect place(QPoint(screen.center().x() - bar.width() / 2, screen.top() + kScreenTopMargin), bar);
        if (!place.intersects(region) && screen.contains(place)) {
            if (ok)
                *ok = true;
            return place.topLeft();
        }
    }
    if (ok)
        *ok = false;
    return QPoint();
}

bool VideoRecCtlWdg::needSaveDirectly(bool timedStop)
{
    RecordParameter* param = RecordParameter::instance();
    const bool gif = param->getVideoEnable() && param->usedVideoFmt() == RP_FMT_GIF;
    return gif || param->isAutoSave() || timedStop || param->timerEnable() || TaskManage::instance()->m_bTasking;
}

QString VideoRecCtlWdg::elapsedText(qint64 seconds)
{
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds / 60) % 60;
    const qint64 s = seconds % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}

void VideoRecCtlWdg::showRecordInfo()
{
    const QString time = elapsedText(m_nElapsed);
    const QString size = Utils::sizeText(m_nFileSize);
    ui->lblTime->setText(time);
    ui->lblSize->setText(size);
    SystemStatusBar::instance()->setRecordInfo(time, size);
}

void VideoRecCtlWdg::onTick()
{
    if (m_bFinishing) {
        showFinishing();
        return;
    }
    if (!m_bRunning)
        return;
    ScreenRecorder* recorder = ScreenRecorder::instance();
    // The tick runs about a whole second after the start: round, or the clock lags one second.
    m_nElapsed = qRound64(recorder->duration());
    // Sound is recorded uncompressed: the user is shown what it takes in the chosen format.
    m_nFileSize = m_bAudioOnly ? ScreenRecorder::audioFileSize(recorder->duration()) : recorder->fileSize();
    showRecordInfo();
    if (m_bPaused || !m_pRules)
        return;
    // The rules count whole seconds recorded: the shown clock's rounding would end a
    // recording up to half a second short of its length.
    const double recorded = recorder->duration();
    const RecordStopRules::StopReason reason = m_pRules->check(qint64(recorded), m_nFileSize);
    if (reason == RecordStopRules::NoStop)
        armPlannedStop(recorded);
    else
        stopByRule(reason, recorded);
}

void VideoRecCtlWdg::stopByRule(RecordStopRules::StopReason reason, double recorded)
{
    Log(kModule, 1, "stop rule %d fired at %.3f s", int(reason), recorded);
    m_eStopReason = reason;
    finishRecording(0);
}

void VideoRecCtlWdg::armPlannedStop(double recorded)
{
    const qint64 at = m_pRules ? m_pRules->plannedStopAfter(recorded) : -1;
    if (at < 0) {
        m_pStopTimer->stop();
        return;
    }
    m_pStopTimer->start(RecordStopRules::millisecondsUntil(at, recorded));
}

void VideoRecCtlWdg::onPlannedStop()
{
    if (!m_bRunning || m_bPaused || !m_pRules)
        return;
    const double recorded = ScreenRecorder::instance()->duration();
    const RecordStopRules::StopReason reason = m_pRules->plannedStop(qint64(recorded));
    if (reason == RecordStopRules::NoStop)
        armPlannedStop(recorded);
    else
        stopByRule(reason, recorded);
}

void VideoRecCtlWdg::onPause()
{
    if (!m_bRunning || m_bPaused)
        return;
    ScreenRecorder::instance()->pause();
    m_bPaused = true;
    // The recorded time stands still until the resume.
    m_pStopTimer->stop();
    RecordState::instance()->pause();
    m_nElapsed = qRound64(ScreenRecorder::instance()->duration());
    showRecordInfo();
    updatePauseButtons();
    emit sigRecordPaused(true);
}

void VideoRecCtlWdg::onResume()
{
    if (!m_bRunning || !m_bPaused)
        return;
    ScreenRecorder::instance()->resume();
    m_bPaused = false;
    armPlannedStop(ScreenRecorder::instance()->duration());
    RecordState::instance()->resume();
    updatePauseButtons();
    emit sigRecordPaused(false);
}

void VideoRecCtlWdg::updatePauseButtons()
{
    // One goes before the other comes: shown together for a moment, they would widen the bar
    // for good and move every button after them.
    QToolButton* going = m_bPaused ? ui->btnPause : ui->btnResume;
    QToolButton* coming = m_bPaused ? ui->btnResume : ui->btnPause;
    going->hide();
    coming->show();
    ui->lblRecState->setPixmap(
        QPixmap(m_bPaused ? QStringLiteral(":/sr/icons/ctl_paused.svg") : QStringLiteral(":/sr/icons/ctl_recording.svg")));
}

void VideoRecCtlWdg::onStop()
{
    if (!m_bRunning)
        return;
    finishRecording(0);
}

void VideoRecCtlWdg::onRecordError(int code)
{
    if (!m_bRunning)
        return;
    if (code == SRE_WindowLost) {
        // The area stays where it was; the recording goes on.
        Log(kModule, 1, "a recorded window closed");
        return;
    }
    Log(kModule, 2, "engine error %d", code);
    finishRecording(errorCode(code));
}

void VideoRecCtlWdg::finishRecording(int code)
{
    if (m_bStopping)
        return;
    m_bStopping = true;
    m_nErrorCode = code;
    m_pStopTimer->stop();
    ScreenRecorder* recorder = ScreenRecorder::instance();
    m_nElapsed = qRound64(recorder->duration());
    m_bRunning = false;
    m_bPaused = false;
    // Nothing records any more: the status item is idle; its actions wait for the preview.
    RecordState::instance()->finish();
    SystemStatusBar::instance()->setActionEnable(false);
    if (!recorder->beginStop()) {
        endRecording(false);
        return;
    }
    Log(kModule, 1, "recording stopped after %lld s; finishing the file", m_nElapsed);
    m_bFinishing = true;
    showFinishing();
    if (!isVisible())
        placeBar();
    m_pTimer->start(kFinishPollMs);
}

void VideoRecCtlWdg::showFinishing()
{
    ui->btnEdit->setChecked(false);
    ui->btnEdit->hide();
    ui->btnSnapshot->hide();
    ui->btnHide->hide();
    ui->btnPause->hide();
    ui->btnResume->hide();
    ui->btnStop->hide();
    ui->lblSize->hide();
    const int percent = qBound(0, int(ScreenRecorder::instance()->finishProgress() * 100), 100);
    ui->lblFinishing->setText(m_bGif ? tr("Finishing… %1%").arg(percent) : tr("Finishing…"));
    ui->lblFinishing->show();
}

void VideoRecCtlWdg::onRecordFinished()
{
    // Only the end of this bar's finishing counts, and only once it is really there.
    if (!m_bFinishing || ScreenRecorder::instance()->isFinishing())
        return;
    endRecording(ScreenRecorder::instance()->waitStopped());
}

void VideoRecCtlWdg::endRecording(bool written)
{
    m_bFinishing = false;
    m_pTimer->stop();
    hide();
    ScreenRecorder* recorder = ScreenRecorder::instance();
    const QString file = recorder->outputPath();
    m_nElapsed = qRound64(recorder->duration());
    SystemStatusBar* status = SystemStatusBar::instance();
    Log(kModule, 1, "recording finished after %lld s: %s", m_nElapsed, written ? "file written" : "no file");

    if (m_nErrorCode != 0)
        showErrorMessage(nullptr, m_nErrorCode);
    const QString ruleMessage
        = RecordStopRules::messageFor(m_eStopReason, m_pRules ? m_pRules->excludedProgram() : QString());
    if (!ruleMessage.isEmpty())
        Utils::showMacWindowMessage(MT_WARNING, nullptr, ruleMessage, MB_OK);
    if (!written) {
        if (m_nErrorCode == 0)
            showErrorMessage(nullptr, errorCode(SRE_Finish));
        RecordState::instance()->end();
        status->setActionEnable(true);
        m_bStopping = false;
        emit sigRecordFinished(false);
        return;
    }

    const bool saveDirectly = needSaveDirectly(m_eStopReason == RecordStopRules::StopTimer
                                               || m_eStopReason == RecordStopRules::StopTask);
    // The preview belongs to the main window (the framework main window, when there is one).
    auto* mainWindow = qobject_cast<OvMainWindowBase*>(TaskManage::instance()->mainWidBase());
    bool saved = false;
    {
        // The preview's mark is set as the recording's is cleared: never neither.
        DlgVideoClip dialog(file, mainWindow, mainWindow, !m_bAudioOnly, saveDirectly);
        saved = dialog.exec() == QDialog::Accepted;
    }
    Log(kModule, 1, "preview ended: %s", saved ? "saved" : "not saved");
    RecordState::instance()->end();
    status->setActionEnable(true);
    m_bStopping = false;
    emit sigRecordFinished(saved);
}

void VideoRecCtlWdg::showErrorMessage(QWidget* parent, int code)
{
    if (code == errorCode(SRE_Write)) {
        // Not a fault to report: the user can mend it.
        Utils::showMacWindowMessage(MT_WARNING, parent,
                                    tr("The disk is full, so the recording was stopped (Error code: %1). "
                                       "Please free some disk space before recording again.")
                                        .arg(code),
                                    MB_OK);
        return;
    }
    if (code == errorCode(SRE_AudioDevice)) {
        // The sound server went away (stopped or crashed): the user can start it again.
        Utils::showMacWindowMessage(MT_WARNING, parent,
                                    tr("The sound stopped coming in, so the recording was stopped (Error code: %1): "
                                       "the sound server (PulseAudio) has stopped or a sound device was removed. "
                                       "What was recorded until then is kept. Please start the sound server again "
                                       "(for example with \"pulseaudio --start\") or plug the device back in "
                                       "before recording again.")
                                        .arg(code),
                                    MB_OK);
        return;
    }
    const QString text = tr("Recording error! (Error code: %1), you can click OK to give feedback on this issue.").arg(code);
    if (Utils::showMacWindowMessage(MT_ERROR, parent, text, MB_OKCANCEL) == OvMessageBox::Ok)
        FeedBackDialog::showFeedBack(parent);
}

// ---- drawing and pictures while recording --------------------------------------------------

FfColor* VideoRecCtlWdg::drawingBar() const { return ui->frameEdit; }

void VideoRecCtlWdg::onEditToggled(bool open)
{
    ui->wdgEditPlace->setVisible(open);
    if (!open && ui->frameEdit->getCanvsType() != CS_None)
        ui->frameEdit->onQuitEdit();
    // The bar changed its size: it finds its place again.
    if (m_bRunning && isVisible())
        placeBar();
}

void VideoRecCtlWdg::onStartCanvs(int shape)
{
    ScreenRecorder* recorder = ScreenRecorder::instance();
    if (shape == CS_None || !recorder->hasCanvas())
        return;
    // Hidden, the bar could not stop the tool that takes the mouse.
    ui->btnHide->setEnabled(false);
    FfColor* drawing = ui->frameEdit;
    recorder->onStartCanvs(shape, drawing->getFontSize(), drawing->getPainterSize(), drawing->getColor(),
                           drawing->getBackgroundColor(), FfColor::fontFamily().toUtf8().constData(),
                           drawing->numberNumber());
    m_bDrawing = true;
    // Above the canvas, which covers the recorded area.
    raise();
}

void VideoRecCtlWdg::onStopCanvs(bool exit)
{
    ui->btnHide->setEnabled(true);
    if (m_bDrawing) {
        ScreenRecorder::instance()->onStopCanvs();
        m_bDrawing = false;
    }
    // Exit closes the drawing tool bar, also when no tool was chosen.
    if (exit && ui->btnEdit->isChecked())
        ui->btnEdit->click();
}

bool VideoRecCtlWdg::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        keepCanvasClear();
        break;
    default:
        break;
    }
    return handled;
}

void VideoRecCtlWdg::keepCanvasClear()
{
    ScreenRecorder::instance()->setCanvasClearArea(isVisible() ? frameGeometry() : QRect());
}

void VideoRecCtlWdg::onHideBar()
{
    Log(kModule, 1, "control bar hidden");
    hide();
}

void VideoRecCtlWdg::onSnapshot()
{
    if (!m_bRunning || m_bAudioOnly)
        return;
    const QRect area = RecordParameter::instance()->getVideoRect();
    QImage image;
    if (QScreen* screen = QGuiApplication::screenAt(area.center())) {
        const QPoint origin = screen->geometry().topLeft();
        image = screen->grabWindow(0, area.x() - origin.x(), area.y() - origin.y(), area.width(), area.height()).toImage();
    }
    if (image.isNull()) {
        Log(kModule, 2, "snapshot while recording: the screen could not be read");
        Utils::showMacWindowMessage(MT_ERROR, nullptr, tr("The screenshot could not be taken."), MB_OK);
        return;
    }
    SnapshotFile::Format format = SnapshotFile::formatFor(RecordParameter::instance()->usedImgFmt());
    if (format.writerName.isEmpty()) // no GIF writer outside a screenshot: PNG keeps every pixel
        format = SnapshotFile::formatFor(RP_FMT_PNG);
    const QString folder = Utils::getSnapshotPath();
    Utils::ensureExists(folder);
    const QString path = SnapshotFile::freePath(folder, QDateTime::currentDateTime(), format.suffix);
    flyOut(image);

    // Encoding a whole screen takes longer than a frame: a worker writes it.
    QPointer<VideoRecCtlWdg> self(this);
    const QByteArray writer = format.writerName;
    QThread* worker = QThread::create([self, image, path, writer] {
        const bool written = SnapshotFile::write(image, path, writer);
        QMetaObject::invokeMethod(
            qApp,
            [self, path, written] {
                if (self)
                    self->onSnapshotWritten(path, written);
                else if (written)
                    SnapshotFile::addToHistory(path);
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void VideoRecCtlWdg::onSnapshotWritten(const QString& path, bool written)
{
    if (written) {
        Log(kModule, 1, "snapshot while recording saved");
        SnapshotFile::addToHistory(path);
        return;
    }
    Log(kModule, 2, "snapshot while recording: the file could not be written");
    Utils::showMacWindowMessage(MT_ERROR, nullptr,
                                tr("The screenshot could not be saved to \"%1\".").arg(OvFileUtils::makeOSLikePath(path)),
                                MB_OK);
}

void VideoRecCtlWdg::flyOut(const QImage& image)
{
    const QSize thumb = image.size().scaled(QSize(kFlyOutWidth, kFlyOutWidth), Qt::KeepAspectRatio);
    auto* fly = new DlgPaintToScreen(this);
    fly->setShowClose(false);
    fly->setImg(image.scaled(thumb, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    const QRect bar = frameGeometry();
    const QRect start(bar.center() - QPoint(fly->width() / 2, fly->height() / 2), fly->size());
    const QPoint target = ui->btnSnapshot->mapToGlobal(ui->btnSnapshot->rect().center());
    fly->setGeometry(start);
    fly->show();
    auto* animation = new QPropertyAnimation(fly, "geometry", fly);
    animation->setDuration(kFlyOutMs);
    animation->setStartValue(start);
    animation->setEndValue(QRect(target, QSize(1, 1)));
    animation->setEasingCurve(QEasingCurve::InCubic);
    connect(animation, &QPropertyAnimation::finished, fly, &QObject::deleteLater);
    animation->start();
}
