#include "ScreenRecorder.h"

#include "Log.h"
#include "RecordBoundary.h"
#include "RecordParameter.h"
#include "RecordingScratch.h"
#include "SignalsTransfer.h"
#include "services/FileSystemUtils.h"
#include "services/PlatformSeam.h"
#include "services/Utils.h"
#include "watermark/WaterMarkDataManage.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace {
// `rect` as the engine takes an area: right and bottom exclusive.
CRect exclusiveCRect(const QRect& rect)
{
    return CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

ScreenRecorder* g_instance = nullptr;

ColorRef toColorRef(const QColor& colour) { return ColorRef(colour.rgba()); }

const char* suffixOf(RP_Format format)
{
    switch (format) {
    case RP_FMT_MOV: return "mov";
    case RP_FMT_M4V: return "m4v";
    case RP_FMT_GIF: return "gif";
    default: return "mp4";
    }
}

// The application's own panels, kept out of every screen recording: the control bar (with
// its drawing tool bar) and the float panel, those that exist when the recording is prepared.
QList<quint64> ownPanels()
{
    QList<quint64> ids;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("VideoRecCtlWdg") || widget->inherits("FfFloatWindow"))
            ids << quint64(widget->winId());
    return ids;
}

OutputVideoFileType containerOf(RP_Format format)
{
    switch (format) {
    case RP_FMT_MOV: return OVFT_MOV;
    case RP_FMT_M4V: return OVFT_M4V;
    case RP_FMT_GIF: return OVFT_GIF;
    default: return OVFT_MP4;
    }
}

// The converter's format for an audio format of the settings model; MP3 for anything else.
OutputAudioFileType audioTypeOf(RP_Format format)
{
    switch (format) {
    case RP_FMT_M4A: return OAFT_M4A;
    case RP_FMT_CAF: return OAFT_CAF;
    case RP_FMT_OGG: return OAFT_OGG;
    case RP_FMT_OPUS: return OAFT_OPUS;
    case RP_FMT_FLAC: return OAFT_FLAC;
    case RP_FMT_WMA: return OAFT_WMA;
    default: return OAFT_MP3;
    }
}
} // namespace

ScreenRecorder* ScreenRecorder::instance()
{
    if (!g_instance)
        g_instance = new ScreenRecorder();
    return g_instance;
}

void ScreenRecorder::release()
{
    delete g_instance;
    g_instance = nullptr;
}

ScreenRecorder::~ScreenRecorder()
{
    releaseOverlays();
    delete m_pBoundary.data();
    // A file being finished is finished first; releasing a running recorder stops it and
    // finishes its file.
    waitStopped();
    m_recorder.reset();
}

QString ScreenRecorder::newOutputPath(const QString& suffix) const
{
    // A folder of its own: no other recording, earlier or left by a crash, shares its files.
    const QString folder = RecordingScratch::create();
    if (folder.isEmpty())
        return QString();
    const QString stamp = QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyMMdd_hhmmss"));
    return FileSystemUtils::freeFilePath(folder, QStringLiteral("Recording_") + stamp, suffix);
}

QSize ScreenRecorder::recordFrameSize(const RecordParameter& parameter)
{
    if (parameter.isWindowRecord() && parameter.getWindowMode() == WM_SINGLE) {
        const QList<quint64> windows = parameter.getWindowList();
        CRect rect;
        if (!windows.isEmpty() && scGetRecordWindowRect(windows.first(), &rect))
            return QSize(int(rect.right), int(rect.bottom));
        return QSize();
    }
    const QRect rect = parameter.getVideoRect();
    if (parameter.isAroundMouse() || parameter.isFollowMouse())
        return parameter.getAroundMouseSize();
    return rect.size();
}

namespace {
// `rect` is a whole display: a full-screen recording.
bool fillsADisplay(const QRect& rect)
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry() == rect)
            return true;
    return false;
}
} // namespace

bool ScreenRecorder::recordVideo()
{
    releaseOverlays();
    m_recorder.reset();
    m_bStarted = false;
    RecordParameter* parameter = RecordParameter::instance();

    ScVideoOptions video;
    const QRect rect = parameter->getVideoRect();
    video.rect = exclusiveCRect(rect);
    std::vector<uint64_t> windows;
    if (parameter->isWindowRecord()) {
        for (quint64 id : parameter->getWindowList())
            windows.push_back(id);
        video.windowMode = ScWindowMode(parameter->getWindowMode());
        video.windows = windows.data();
        video.windowCount = int(windows.size());
    }
    const bool areaRecording = !parameter->isWindowRecord() || parameter->getWindowMode() == WM_EXCLUDE;
    // The control bar (with its drawing tool bar) is blacked out wherever the recorded area
    // meets it, in every mode; the float panel too when the user chose to exclude it.
    std::vector<uint64_t> own;
    const QList<quint64> panels = parameter->isExcludeFloatBar() ? ownPanels() : QList<quint64>();
    for (const QList<quint64>& ids : {m_hiddenWindows, panels})
        for (quint64 id : ids)
            if (std::find(own.begin(), own.end(), id) == own.end())
                own.push_back(id);
    video.ownWindows = own.data();
    video.ownWindowCount = int(own.size());
    const bool aroundMouse = parameter->isAroundMouse() || parameter->isFollowMouse();
    // Holding Ctrl moves a region; a whole display has nowhere to go.
    video.ctrlMovesArea = parameter->getMoveRegion() && !parameter->isWindowRecord() && !aroundMouse && !fillsADisplay(rect);
    // A canvas stays where it is put: only an area that does not move can carry one.
    m_canvasArea = areaRecording && !video.ctrlMovesArea ? rect : QRect();
    // The boundary of an area that follows the mouse shows once the engine reports its place.
    m_boundaryArea = aroundMouse ? QRect() : rect;
    m_bBoundary = parameter->isShowBoundary();
    // An area that moves with the mouse keeps out of the boundary's windows.
    std::vector<uint64_t> frame;
    if (m_bBoundary)
        for (quint64 id : boundary()->windowIds())
            frame.push_back(id);
    video.frameWindows = frame.data();
    video.frameWindowCount = int(frame.size());
    if (aroundMouse) {
        m_canvasArea = QRect();
        const QSize size = parameter->getAroundMouseSize();
        video.rect = CRect(0, 0, size.width(), size.height());
        video.followMouse = true;
    }
    video.frameRate = parameter->getVideoFrameRate();
    video.container = containerOf(parameter->usedVideoFmt());
    video.codec = video.container == OVFT_GIF ? VC_GIF : VideoCodec(parameter->getVideoCodecType());
    video.quality = CodecQuality(parameter->getVideoQuality());
    video.drawCursor = parameter->isMouseEnable();

    // Click effects and the highlight are drawn at the cursor: without it, none is.
    ScMouseOptions mouse;
    mouse.clickMode = video.drawCursor ? parameter->getMouseclick() : SCM_None;
    mouse.clickColor = toColorRef(parameter->getMouseClickColor());
    mouse.normalColor = toColorRef(parameter->getMouseNormalColor());
    mouse.indicate = video.drawCursor && parameter->isMouseAlwaysShow();

    const QByteArray microphone = QFile::encodeName(parameter->getMicrophoneDevice());
    ScAudioOptions audio;
    audio.systemSound = parameter->isSystemAudioEnable();
    audio.microphone = parameter->isMicrophoneEnable();
    audio.microphoneDevice = microphone.constData();

    // The watermark goes to the engine before the recorder exists. Whether to record without
    // a chosen watermark that cannot be drawn was put to the user at the record click
    // (RecordChecks); one that fails only now is logged by the store.
    WaterMarkDataManage::instance()->useWaterMark(recordFrameSize(*parameter));

    m_strOutputPath = newOutputPath(QString::fromLatin1(suffixOf(parameter->usedVideoFmt())));
    m_recorder = PlatformSeam::current()->videoRecorder(&m_callback, video, mouse, audio,
                                                        QFile::encodeName(m_strOutputPath).constData());
    if (!m_recorder)
        RecordingScratch::removeIfEmpty(RecordingScratch::folderOf(m_strOutputPath));
    Log("ScreenRecorder", m_recorder ? 1 : 2, "recordVideo %dx%d+%d+%d fmt %d codec %d: %s", rect.width(), rect.height(),
        rect.x(), rect.y(), int(parameter->usedVideoFmt()), int(video.codec), m_recorder ? "ready" : "refused");
    return bool(m_recorder);
}

bool ScreenRecorder::recordAudio()
{
    releaseOverlays();
    m_canvasArea = QRect();
    m_bBoundary = false;
    m_recorder.reset();
    m_bStarted = false;
    RecordParameter* parameter = RecordParameter::instance();
    const QByteArray microphone = QFile::encodeName(parameter->getMicrophoneDevice());
    ScAudioOptions audio;
    audio.systemSound = parameter->isSystemAudioEnable();
    audio.microphone = parameter->isMicrophoneEnable();
    audio.microphoneDevice = microphone.constData();
    const QString folder = RecordingScratch::create();
    m_recorder = PlatformSeam::current()->audioRecorder(&m_callback, audio, QFile::encodeName(folder).constData());
    m_strOutputPath = m_recorder ? QFile::decodeName(m_recorder->GetOutputPath()) : QString();
    if (!m_recorder)
        RecordingScratch::removeIfEmpty(folder);
    Log("ScreenRecorder", m_recorder ? 1 : 2, "recordAudio system %d microphone %d: %s", int(audio.systemSound),
        int(audio.microphone), m_recorder ? "ready" : "refused");
    return bool(m_recorder);
}

bool ScreenRecorder::start()
{
    if (!m_recorder || m_bStarted)
        return false;
    if (m_bBoundary)
        showBoundary();
    m_bStarted = m_recorder->Start();
    if (m_bStarted)
        m_strOutputPath = QFile::decodeName(m_recorder->GetOutputPath());
    else
    {
        releaseOverlays();
        m_recorder.reset();
    }
    Log("ScreenRecorder", m_bStarted ? 1 : 2, "start: %s", m_bStarted ? "recording" : "failed");
    return m_bStarted;
}

void ScreenRecorder::pause()
{
    if (m_recorder && m_bStarted)
        m_recorder->Pause();
}

void ScreenRecorder::resume()
{
    if (m_recorder && m_bStarted)
        m_recorder->Resume();
}

bool ScreenRecorder::stop()
{
    if (m_finishing)
        return waitStopped();
    if (!m_recorder || !m_bStarted)
        return false;
    releaseOverlays();
    m_finishing = std::move(m_recorder);
    m_bStarted = false;
    return collectStopped(m_finishing->Stop());
}

bool ScreenRecorder::beginStop()
{
    if (!m_recorder || !m_bStarted || m_finishing)
        return false;
    releaseOverlays();
    m_finishing = std::move(m_recorder);
    m_bStarted = false;
    m_bFinishDone = false;
    CScreenRecorderObject* recorder = m_finishing.get();
    SignalsTransfer* hub = SignalsTransfer::instance();
    m_finishThread = std::thread([this, recorder, hub] {
        const bool written = recorder->Stop();
        m_bFinishWritten = written;
        m_bFinishDone = true;
        // Posted to the GUI thread: receivers may touch widgets.
        QMetaObject::invokeMethod(
            hub, [hub, written] { emit hub->recordFinished(written); }, Qt::QueuedConnection);
    });
    Log("ScreenRecorder", 1, "stop: finishing the file");
    return true;
}

double ScreenRecorder::finishProgress() const { return m_finishing ? m_finishing->GetFinishProgress() : 0.0; }

bool ScreenRecorder::waitStopped()
{
    if (!m_finishing)
        return false;
    if (m_finishThread.joinable())
        m_finishThread.join();
    return collectStopped(m_bFinishWritten);
}

bool ScreenRecorder::collectStopped(bool written)
{
    m_lastDuration = m_finishing->GetDuration();
    m_lastSize = m_finishing->GetFileSize();
    m_lastDropped = m_finishing->GetDroppedFrames();
    m_strOutputPath = QFile::decodeName(m_finishing->GetOutputPath());
    m_finishing.reset();
    m_bFinishDone = false;
    Log("ScreenRecorder", written ? 1 : 2, "stop: %s", written ? "file written" : "no playable file");
    return written;
}

qint64 ScreenRecorder::audioFileSize(double seconds)
{
    const RecordParameter* parameter = RecordParameter::instance();
    return scEstimateAudioFileSize(audioTypeOf(parameter->usedAudioFmt()), CodecQuality(parameter->getAudioQuality()),
                                   seconds);
}

double ScreenRecorder::duration() const
{
    const CBasePtr<CScreenRecorderObject>& recorder = m_recorder ? m_recorder : m_finishing;
    return recorder ? recorder->GetDuration() : m_lastDuration;
}

qint64 ScreenRecorder::fileSize() const
{
    const CBasePtr<CScreenRecorderObject>& recorder = m_recorder ? m_recorder : m_finishing;
    return recorder ? recorder->GetFileSize() : m_lastSize;
}

qint64 ScreenRecorder::droppedFrames() const
{
    const CBasePtr<CScreenRecorderObject>& recorder = m_recorder ? m_recorder : m_finishing;
    return recorder ? recorder->GetDroppedFrames() : m_lastDropped;
}

bool ScreenRecorder::hasCanvas() const { return m_bStarted && !m_canvasArea.isEmpty(); }

void ScreenRecorder::onStartCanvs(int shape, int fontSize, int penSize, QColor colour, QColor background,
                                  const char* fontFamily, int number)
{
    if (shape == CS_None || !hasCanvas())
        return;
    if (!m_canvas) {
        m_canvas = CreateRecordCanvas(&m_canvasEvent, exclusiveCRect(m_canvasArea));
        if (!m_canvas)
            return;
        m_canvas->SetClearArea(exclusiveCRect(m_canvasClearArea));
    }
    const double size = shape == CS_Text ? fontSize : penSize;
    CScreenCanvas* canvas = m_canvas->GetCanvas();
    if (shape == CS_Callout) {
        // As on a screenshot: the marker is filled with the background colour, the number
        // drawn in the drawing colour.
        canvas->SetStartNumber(number);
        canvas->Start(shape, toColorRef(background), toColorRef(colour), fontFamily, size);
    } else {
        const int kTranslucentAlpha = 0x64;
        background.setAlpha(kTranslucentAlpha);
        canvas->Start(shape, toColorRef(colour), toColorRef(background), fontFamily, size);
    }
    Log("ScreenRecorder", 1, "canvas start: shape %d size %d", shape, int(size));
}

void ScreenRecorder::onStopCanvs()
{
    if (m_canvas)
        m_canvas->GetCanvas()->Stop();
}

void ScreenRecorder::onCanvasUndo()
{
    if (m_canvas)
        m_canvas->GetCanvas()->Undo();
}

void ScreenRecorder::onCanvasRedo()
{
    if (m_canvas)
        m_canvas->GetCanvas()->Redo();
}

void ScreenRecorder::onCanvasClear()
{
    if (m_canvas)
        m_canvas->GetCanvas()->Clear();
}

void ScreenRecorder::releaseOverlays()
{
    m_canvas.reset();
    if (m_pBoundary)
        m_pBoundary->reset();
}

RecordBoundary* ScreenRecorder::boundary()
{
    if (!m_pBoundary) {
        m_pBoundary = new RecordBoundary();
        // Reported on an engine thread: queued to the frame's thread.
        QObject::connect(SignalsTransfer::instance(), &SignalsTransfer::recordRectChanged, m_pBoundary,
                         [this](const QRect& area) {
                             if (m_bStarted && m_bBoundary)
                                 m_pBoundary->followArea(area);
                         });
    }
    return m_pBoundary;
}

void ScreenRecorder::showBoundary()
{
    boundary()->reset();
    if (!m_boundaryArea.isEmpty())
        m_pBoundary->showAround(m_boundaryArea);
}
void ScreenRecorder::setCanvasClearArea(const QRect& area)
{
    m_canvasClearArea = area;
    if (m_canvas)
        m_canvas->SetClearArea(exclusiveCRect(area));
}


void ScreenRecorder::CanvasEvent::OnNumberChanged(int number) { emit SignalsTransfer::instance()->canvasNumChange(number); }
