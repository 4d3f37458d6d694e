#pragma once
// The camera facade over the engine's camera: lists the cameras, shows one live in a host
// widget, records it (with the microphone) to a file, pauses and resumes the recording and
// takes photos of its latest picture. A process-wide singleton, created on first use;
// release() destroys it with the engine's camera (a running recording is finished first but
// never reported, so the webcam window waits for the end before it releases). The engine's reports
// of a recording reach the signal hub as cameraRecordFinish(bool failed), only once the
// file is finished, and cameraRecordError(), from the engine's thread. GUI thread.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

class QWidget;

// The picture sizes a camera may be asked for.
enum CameraResolution {
    CR_160x120 = 0,
    CR_320x240,
    CR_352x288,
    CR_640x480,
    CR_960x540,
    CR_1024x768,
    CR_1280x720,
    CR_1280x1024,
    CR_1920x1080,
    CR_2560x1440,
    CR_3840x2160,
    CR_Count
};

class CameraManager {
public:
    static CameraManager* instance();
    // Destroys the facade and the engine's camera; the next instance() makes a new one.
    static void release();
    // True while a facade exists (release() was not called since the last instance()).
    static bool exists();

    // The names of the cameras there are now, each unique, the default first.
    QStringList getCameras() const;
    // Shows the default camera (the settings model's camera index when it names one) in
    // `view`, or the camera `name`; true when a camera is open afterwards. A camera that
    // cannot be opened leaves none open. `onlyCamera` says the camera is recorded alone.
    bool openCamera(QWidget* view, bool onlyCamera);
    bool openCamera(const QString& name, QWidget* view, bool onlyCamera);
    // The name of the open camera; empty when none is.
    QString currentCamera() const { return m_strCamera; }
    bool isCameraRunning() const;
    // The picture size of the open camera; 0 x 0 when none is open.
    void getVideoSize(int& width, int& height) const;
    // Whether the open camera can deliver the preset; no preset is offered.
    bool isSupportPreset(CameraResolution preset) const;

    // Records the open camera to `path` (MOV), with the default sound capture device when
    // `microphone` is not empty. False, with nothing recording, when no camera is open or
    // the file or the encoder cannot be opened.
    bool record(const QString& path, const QString& microphone);
    void pause();
    void resume();
    // True from a started recording until the engine reported its end. Any thread.
    bool isRecording() const;
    // Ends the recording; false when none runs. On true the end arrives later through the
    // signal hub's cameraRecordFinish(bool failed), once the file is finished.
    bool stopRecord();
    // Recorded seconds without the pauses, and the bytes written so far.
    double getVideoDuration() const;
    qint64 getVideoFileSize() const;

    // Writes a JPEG of the latest picture to `path` (its folder created when missing),
    // never over an existing file; false, leaving no file, when there is no picture or the
    // file cannot be written.
    bool capture(const QString& path);

    ~CameraManager();

private:
    CameraManager();
    void closeCamera();

    struct Engine;
    std::unique_ptr<Engine> m_engine;
    QString m_strCamera;
};
