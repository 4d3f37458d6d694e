#include "CameraObject.h"

#include "CameraView.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/time.h>
#include <libswscale/swscale.h>
}

namespace camera {

namespace {
const int kJpegQuality = 92;
} // namespace

CameraObject::CameraObject(CCameraCallback* callback, NSView* host) : m_callback(callback), m_host(host) {}

CameraObject::~CameraObject()
{
    sws_freeContext(m_previewSws);
    av_frame_free(&m_latest);
}

bool CameraObject::open(const CameraEntry& camera)
{
    if (!m_input.open(camera))
        return false;
    m_latest = av_frame_alloc();
    if (m_host) {
        m_view = new CameraView(m_host);
        m_view->setOnDestroyed([this] {
            std::lock_guard<std::mutex> lock(m_viewMutex);
            m_view = nullptr;
        });
    }
    m_running = true;
    m_captureThread = std::thread(&CameraObject::captureLoop, this);
    return true;
}

void CameraObject::Release()
{
    m_stop = true;
    if (m_captureThread.joinable())
        m_captureThread.join();
    {
        // A recording still running is finished into its file, without a report.
        std::unique_ptr<CameraRecording> recording;
        {
            std::lock_guard<std::mutex> lock(m_recordingMutex);
            recording.swap(m_recording);
        }
        recording.reset();
    }
    CameraView* view = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_viewMutex);
        std::swap(view, m_view);
    }
    if (view) {
        view->setOnDestroyed({});
        delete view;
    }
    delete this;
}

void CameraObject::GetVideoSize(int* width, int* height)
{
    if (width)
        *width = m_input.width();
    if (height)
        *height = m_input.height();
}

void CameraObject::captureLoop()
{
    AVFrame* picture = av_frame_alloc();
    while (!m_stop) {
        if (!m_input.read(picture)) {
            if (m_stop)
                break;
            Log("Screencast", 2, "the camera went away");
            m_running = false;
            std::lock_guard<std::mutex> lock(m_recordingMutex);
            if (m_recording)
                m_recording->end(SRE_CaptureLost);
            break;
        }
        const int64_t arrived = av_gettime();
        {
            std::lock_guard<std::mutex> lock(m_latestMutex);
            av_frame_unref(m_latest);
            av_frame_ref(m_latest, picture);
        }
        {
            std::lock_guard<std::mutex> lock(m_recordingMutex);
            if (m_recording)
                m_recording->addPicture(picture, arrived);
        }
        offerPreview(picture);
    }
    av_frame_free(&picture);
}

QImage CameraObject::imageOf(const AVFrame* picture, const QSize& size, SwsContext** sws)
{
    QImage image(size, QImage::Format_RGB32);
    *sws = sws_getCachedContext(*sws, picture->width, picture->height, AVPixelFormat(picture->format), size.width(),
                                size.height(), AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!*sws || image.isNull())
        return QImage();
    uint8_t* target[1] = {image.bits()};
    const int stride[1] = {int(image.bytesPerLine())};
    sws_scale(*sws, picture->data, picture->linesize, 0, picture->height, target, stride);
    return image;
}

void CameraObject::offerPreview(const AVFrame* picture)
{
    std::lock_guard<std::mutex> lock(m_viewMutex);
    if (!m_view || !m_view->wantsPicture())
        return;
    const QImage image = imageOf(picture, m_view->targetSize(QSize(picture->width, picture->height)), &m_previewSws);
    if (!image.isNull())
        m_view->present(image);
}

bool CameraObject::recordingRuns() const { return m_recording && !m_recording->ended(); }

bool CameraObject::StartRecord(const char* path, const char* microphone)
{
    if (!path || !*path || !m_running)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_recordingMutex);
        if (recordingRuns())
            return false;
    }
    // Opened outside the lock: the capture thread goes on meanwhile.
    std::unique_ptr<CameraRecording> recording(
        new CameraRecording(m_callback, path, m_input.width(), m_input.height(), m_input.frameRate()));
    if (const int error = recording->start(microphone)) {
        Log("Screencast", 2, "camera recording does not start: error %d", error);
        return false;
    }
    std::unique_ptr<CameraRecording> previous;
    {
        std::lock_guard<std::mutex> lock(m_recordingMutex);
        previous.swap(m_recording);
        m_recording = std::move(recording);
    }
    return true;
}

void CameraObject::PauseRecord()
{
    std::lock_guard<std::mutex> lock(m_recordingMutex);
    if (m_recording)
        m_recording->pause();
}

void CameraObject::ResumeRecord()
{
    std::lock_guard<std::mutex> lock(m_recordingMutex);
    if (m_recording)
        m_recording->resume();
}

bool CameraObject::StopRecord()
{
    std::lock_guard<std::mutex> lock(m_recordingMutex);
    if (!m_recording || m_recording->ending())
        return false;
    m_recording->end();
    return true;
}

double CameraObject::GetRecordDuration()
{
    std::lock_guard<std::mutex> lock(m_recordingMutex);
    return m_recording ? m_recording->duration() : 0;
}

int64_t CameraObject::GetRecordFileSize()
{
    std::lock_guard<std::mutex> lock(m_recordingMutex);
    return m_recording ? m_recording->fileSize() : 0;
}

int64_t CameraObject::GetDroppedFrames()
{
    std::lock_guard<std::mutex> lock(m_recordingMutex);
    return m_recording ? m_recording->droppedFrames() : 0;
}

bool CameraObject::Capture(const char* path)
{
    if (!path || !*path)
        return false;
    AVFrame* latest = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_latestMutex);
        if (m_latest && m_latest->data[0])
            latest = av_frame_clone(m_latest);
    }
    if (!latest)
        return false;
    SwsContext* sws = nullptr;
    const QImage image = imageOf(latest, QSize(m_input.width(), m_input.height()), &sws);
    sws_freeContext(sws);
    av_frame_free(&latest);
    if (image.isNull())
        return false;
    const QString file = QFile::decodeName(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    // NewOnly: a file already there is never replaced.
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = image.save(&out, "JPEG", kJpegQuality) && out.flush();
    out.close();
    if (!written || out.error() != QFileDevice::NoError) {
        out.remove(); // only the file made here
        Log("Screencast", 2, "camera photo could not be written: %s", path);
        return false;
    }
    return true;
}

} // namespace camera
