#pragma once
// Every key the application stores, named once. The settings store (OvSettings) holds all
// but the last group, which lives in the shortcut rows' user-defaults file (OvUserDefaults).
// Keys and what is stored under them are the files' format: a key here never changes, or
// files written before could no longer be read. The framework's own keys (skin, update
// mode, automatic updates) are named by the framework itself.

namespace SettingsKeys {

// ---- recording formats and codecs (RecordParameter) ----
constexpr char kVideoFormat[] = "VideoFormat";
constexpr char kAudioFormat[] = "AudioFormat";
constexpr char kImageFormat[] = "ImageFormat";
constexpr char kVideoCodec[] = "VideoCodec";
constexpr char kVideoQuality[] = "VideoQuality";
constexpr char kVideoFrameRate[] = "VideoFrameRate";
constexpr char kAudioQuality[] = "AudioQuality";

// ---- sound ----
constexpr char kSystemAudio[] = "Audio/System";
constexpr char kMicrophone[] = "Audio/Microphone";
constexpr char kMicrophoneDevice[] = "Audio/MicrophoneDevice";

// ---- mouse ----
constexpr char kMouseClick[] = "MouseOpt/MouseClick";
constexpr char kMouseClickColor[] = "MouseOpt/ColorHighLight";
constexpr char kMouseNormalColor[] = "MouseOpt/ColorNormal";
constexpr char kMouseIndicate[] = "MouseOpt/Indicate";
constexpr char kMouseCursorEnable[] = "MouseOpt/CursorEnable";

// ---- recording behaviour ----
constexpr char kCountDown[] = "CountDown";
constexpr char kShowBoundary[] = "ShowBoundary";
constexpr char kHideFloat[] = "HideFloat";
constexpr char kHideDesktop[] = "HideDesktop";
constexpr char kHideTaskbar[] = "HideTaskbar";
constexpr char kHideMain[] = "HideMain";
constexpr char kMini[] = "mini";
constexpr char kCloseWhenClose[] = "CloseWhenClos";
constexpr char kFollowSystemTheme[] = "FollowSystemTheme";
constexpr char kExcludeFloatBar[] = "excludeFloatBar";
constexpr char kAutoSave[] = "AutoSave";
constexpr char kBeep[] = "beep";
constexpr char kMoveRegion[] = "MoveRegion";
constexpr char kRetinaMode[] = "RetinaMode";

// ---- record length and timed stop ----
constexpr char kRecordLengthEnable[] = "RecordLength/Enable";
constexpr char kRecordLengthSeconds[] = "RecordLength/Seconds";
constexpr char kTimerEnable[] = "Timer/Enable";
constexpr char kTimerRepeat[] = "Timer/Repeat";
constexpr char kTimerStopEvent[] = "Timer/StopEvent";
constexpr char kTimerDuration[] = "Timer/Duration";

// ---- webcam ----
constexpr char kCameraEnable[] = "CameraEnable";
constexpr char kCameraPos[] = "CameraPos";             // overlay position, RP_DefalutPos
constexpr char kCameraWindowPos[] = "CameraWindowPos"; // the webcam window's place
constexpr char kCameraSize[] = "CameraSize";
constexpr char kCameraMicEnable[] = "CameraMicEnable";
constexpr char kCameraOutput[] = "outputVideo";        // the last webcam recording's file

// ---- the main window's last choices ----
constexpr char kRecordMode[] = "VideoLast/RecordMode";
constexpr char kRegionRect[] = "VideoLast/VideoRect";
constexpr char kRegionSize[] = "VideoLast/RegionSize";
constexpr char kMouseRegionSize[] = "VideoLast/MouseSize";

// ---- folders and files ----
constexpr char kVideoFolder[] = "Path/VideoFolder";
constexpr char kScreenshotsFolder[] = "Path/ScreenshotsFolder";
constexpr char kSaveHistory[] = "Path/SavefilesHistroy";
constexpr char kAppLog[] = "Log/AppLog";
constexpr char kEngineLog[] = "Log/EngineLog";
constexpr char kFeedbackAttachmentDir[] = "Recover/attachmentDir";
constexpr char kWatermarkLastSelection[] = "Watermark/LastSelection";
constexpr char kClipDuration[] = "audio/duration"; // the last trimmed clip's length, hh:mm:ss

// ---- remembered answers and choices ----
constexpr char kWatermarkIndex[] = "WatermarkIndex";
constexpr char kHotkeyRemind[] = "HotkeyRemind";
constexpr char kDeleteLocalFile[] = "DeleteLocalFile";
constexpr char kReRecordAnswer[] = "EndRecord/ReRecordChk";
constexpr char kRunningPid[] = "pid"; // the process that holds the single-instance lock

// ---- scheduled recordings ----
// Tasks deleted whose removal the task daemon has not confirmed: name -> recinfo text.
constexpr char kTaskDeletionsPending[] = "Task/DeletionsPending";

// ---- shortcut rows (user-defaults file) ----
constexpr char kShortcutPause[] = "keysPause";
constexpr char kShortcutStartStop[] = "keysStop";
constexpr char kShortcutSnapshot[] = "keysSnapshot";
constexpr char kShortcutWebcam[] = "keysWebCam";
constexpr char kShortcutFloat[] = "keysFloat";

} // namespace SettingsKeys
