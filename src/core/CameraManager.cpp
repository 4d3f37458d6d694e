#include "CameraManager.h"

#include "Log.h"
#include "ScCamera.h"
#include "core/RecordParameter.h"
#include "core/SignalsTransfer.h"
#include "services/PlatformSeam.h"

#include <QFile>
#include <QWidget>

#include <atomic>

namespace {
const char kModule[] = "camera";

CameraManager* s_instance = nullptr;

// The engine's reports, handed to the signal hub from the engine's threads.
class CameraCallback : public CCameraCallback {
public:
    // True from a started recording until its end was reported.
    std::atomic<bool> recording{false};

    void OnRecordError(int code) override
    {
        Log(kModule, 2, "camera recording error %d", code);
        emit SignalsTransfer::instance()->cameraRecordError();
    }
    void OnRecordFinished(bool failed) override
    {
        Log(kModule, 1, "camera recording finished, failed: %d", failed);
        recording = false;
        emit SignalsTransfer::instance()->cameraRecordFinish(failed);
    }
};
} // namespace

struct CameraManager::Engine {
    CameraCallback callback;
    CBasePtr<CCameraObject> camera;
};

CameraManager* CameraManager::instance()
{
    if (!s_instance)
        s_instance = new CameraManager;
    return s_instance;
}

void CameraManager::release()
{
    delete s_instance;
    s_instance = nullptr;
}

bool CameraManager::exists() { return s_instance != nullptr; }

CameraManager::CameraManager()
    : m_engine(new Engine)
{
}

CameraManager::~CameraManager() { closeCamera(); }

void CameraManager::closeCamera()
{
    // The engine's object goes before the callback it reports to.
    m_engine->camera = CBasePtr<CCameraObject>();
    m_strCamera.clear();
}

QStringList CameraManager::getCameras() const
{
    return PlatformSeam::current()->cameras();
}

bool CameraManager::openCamera(QWidget* view, bool onlyCamera)
{
    const QStringList cameras = getCameras();
    if (cameras.isEmpty()) {
        Log(kModule, 1, "no camera to open");
        closeCamera();
        return false;
    }
    const int index = RecordParameter::instance()->getCameraIndex();
    QString name = cameras.value(index >= 0 && index < cameras.size() ? index : 0);
    return openCamera(name, view, onlyCamera);
}

bool CameraManager::openCamera(const QString& name, QWidget* view, bool onlyCamera)
{
    if (isRecording()) {
        Log(kModule, 2, "camera not changed while recording");
        return false;
    }
    closeCamera();
    m_engine->camera = PlatformSeam::current()->openCamera(&m_engine->callback, name.toUtf8().constData(), view);
    if (!m_engine->camera) {
        Log(kModule, 2, "camera could not be opened (only camera: %d)", onlyCamera);
        return false;
    }
    m_strCamera = name;
    Log(kModule, 1, "camera opened (only camera: %d)", onlyCamera);
    return true;
}

bool CameraManager::isCameraRunning() const { return m_engine->camera && m_engine->camera->IsRunning(); }

void CameraManager::getVideoSize(int& width, int& height) const
{
    width = 0;
    height = 0;
    if (m_engine->camera)
        m_engine->camera->GetVideoSize(&width, &height);
}

bool CameraManager::isSupportPreset(CameraResolution) const { return false; }

bool CameraManager::record(const QString& path, const QString& microphone)
{
    if (!isCameraRunning())
        return false;
    // An empty text records without sound; otherwise the default source is used.
    const QByteArray file = QFile::encodeName(path);
    m_engine->callback.recording = true;
    const bool started = m_engine->camera->StartRecord(file.constData(), microphone.isEmpty() ? nullptr : "");
    if (!started)
        m_engine->callback.recording = false;
    return started;
}

void CameraManager::pause()
{
    if (m_engine->camera)
        m_engine->camera->PauseRecord();
}

void CameraManager::resume()
{
    if (m_engine->camera)
        m_engine->camera->ResumeRecord();
}

bool CameraManager::isRecording() const { return m_engine->camera && m_engine->callback.recording; }

bool CameraManager::stopRecord()
{
    if (!m_engine->camera)
        return false;
    return m_engine->camera->StopRecord();
}

double CameraManager::getVideoDuration() const { return m_engine->camera ? m_engine->camera->GetRecordDuration() : 0; }

qint64 CameraManager::getVideoFileSize() const { return m_engine->camera ? m_engine->camera->GetRecordFileSize() : 0; }

bool CameraManager::capture(const QString& path)
{
    if (!m_engine->camera)
        return false;
    return m_engine->camera->Capture(QFile::encodeName(path).constData());
}
