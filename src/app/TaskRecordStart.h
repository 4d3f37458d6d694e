#pragma once
// A scheduled task's start: a screen, sound or webcam recording through the main window (or
// its webcam recorder) when nothing else records, previews or is under way; the task's mark
// is set only when its recording is about to start. GUI thread.

class MainWindow;
class WebcamHost;

class TaskRecordStart {
public:
    // Starts the recording kind `recWhat` (TaskManage::RecordVideo, RecordAudio or
    // RecordWebcam) `startDelayMs` after the main window is set for it; nothing when the task
    // is out of date, the kind is unknown or the webcam does not run.
    static void start(MainWindow* main, WebcamHost* webcam, int recWhat, int startDelayMs);
};
