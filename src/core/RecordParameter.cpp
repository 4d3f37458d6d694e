#include "RecordParameter.h"

#include "OvSettings.h"
#include "ScEngine.h"

namespace {
RecordParameter* g_instance = nullptr;
QMutex g_instanceMutex;
} // namespace

RecordParameter* RecordParameter::instance()
{
    QMutexLocker lock(&g_instanceMutex);
    if (!g_instance)
        g_instance = new RecordParameter();
    return g_instance;
}

void RecordParameter::release()
{
    QMutexLocker lock(&g_instanceMutex);
    delete g_instance;
    g_instance = nullptr;
}

QVariant RecordParameter::value(const char* key, const QVariant& def)
{
    return OvSettings::instance()->applicationParam(QString::fromLatin1(key), def);
}

void RecordParameter::setValue(const char* key, const QVariant& v)
{
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(key), v);
}

// ---- run-time state ----


QRect RecordParameter::getVideoRect() const
{
    QMutexLocker lock(&m_mutex);
    return m_videoRect;
}
void RecordParameter::setVideoRect(const QRect& rect)
{
    QMutexLocker lock(&m_mutex);
    m_videoRect = rect;
}
QString RecordParameter::getDisplayName() const
{
    QMutexLocker lock(&m_mutex);
    return m_displayName;
}
void RecordParameter::setDisplayName(const QString& name)
{
    QMutexLocker lock(&m_mutex);
    m_displayName = name;
}
QList<quint64> RecordParameter::getWindowList() const
{
    QMutexLocker lock(&m_mutex);
    return m_windowList;
}
void RecordParameter::setWindowList(const QList<quint64>& ids)
{
    QMutexLocker lock(&m_mutex);
    m_windowList = ids;
}
QPoint RecordParameter::getCameraPosition() const
{
    QMutexLocker lock(&m_mutex);
    return m_cameraPos;
}
void RecordParameter::setCameraPosition(const QPoint& pos)
{
    QMutexLocker lock(&m_mutex);
    m_cameraPos = pos;
}
QSize RecordParameter::getCameraResolution() const
{
    QMutexLocker lock(&m_mutex);
    return m_cameraResolution;
}
void RecordParameter::setCameraResolution(const QSize& size)
{
    QMutexLocker lock(&m_mutex);
    m_cameraResolution = size;
}
QSize RecordParameter::getAroundMouseSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_aroundMouseSize;
}
void RecordParameter::setAroundMouseSize(const QSize& size)
{
    QMutexLocker lock(&m_mutex);
    m_aroundMouseSize = size;
}
WindowModle RecordParameter::getWindowMode() const
{
    QMutexLocker lock(&m_mutex);
    return m_windowMode;
}
void RecordParameter::setWindowMode(WindowModle mode)
{
    QMutexLocker lock(&m_mutex);
    m_windowMode = mode;
}

int RecordParameter::getUseDisplayIndex() const { QMutexLocker l(&m_mutex); return m_displayIndex; }
void RecordParameter::setUseDisplayIndex(int index) { QMutexLocker l(&m_mutex); m_displayIndex = index; }
bool RecordParameter::isKeepRatio() const { QMutexLocker l(&m_mutex); return m_keepRatio; }
void RecordParameter::setKeepRatio(bool keep) { QMutexLocker l(&m_mutex); m_keepRatio = keep; }
bool RecordParameter::isWindowRecord() const { QMutexLocker l(&m_mutex); return m_windowRecord; }
void RecordParameter::setWindowRecord(bool window) { QMutexLocker l(&m_mutex); m_windowRecord = window; }
bool RecordParameter::isOnlyRecordAudio() const { QMutexLocker l(&m_mutex); return m_onlyAudio; }
void RecordParameter::setOnlyRecordAudio(bool only) { QMutexLocker l(&m_mutex); m_onlyAudio = only; }
bool RecordParameter::isOnlyRecordCamera() const { QMutexLocker l(&m_mutex); return m_onlyCamera; }
void RecordParameter::setOnlyRecordCamera(bool only) { QMutexLocker l(&m_mutex); m_onlyCamera = only; }
int RecordParameter::getCameraIndex() const { QMutexLocker l(&m_mutex); return m_cameraIndex; }
void RecordParameter::setCameraIndex(int index) { QMutexLocker l(&m_mutex); m_cameraIndex = index; }
bool RecordParameter::isAroundMouse() const { QMutexLocker l(&m_mutex); return m_aroundMouse; }
void RecordParameter::setAroundMouse(bool around) { QMutexLocker l(&m_mutex); m_aroundMouse = around; }
bool RecordParameter::isFollowMouse() const { QMutexLocker l(&m_mutex); return m_followMouse; }
void RecordParameter::setFollowMouse(bool follow) { QMutexLocker l(&m_mutex); m_followMouse = follow; }

bool RecordParameter::getVideoEnable() const
{
    QMutexLocker l(&m_mutex);
    return !m_onlyAudio && !m_onlyCamera;
}

// ---- formats and codecs ----

RP_Format RecordParameter::usedVideoFmt() const
{
    // MOV unless the linked encoders cannot write it; then MP4.
    const int def = scGetSupportCodecs(OVFT_MOV, nullptr, 0) > 0 ? RP_FMT_MOV : RP_FMT_MP4;
    return RP_Format(value("VideoFormat", def).toInt());
}
void RecordParameter::setUsedVideoFmt(RP_Format fmt) { setValue("VideoFormat", int(fmt)); }
RP_Format RecordParameter::usedAudioFmt() const { return RP_Format(value("AudioFormat", RP_FMT_MP3).toInt()); }
void RecordParameter::setUsedAudioFmt(RP_Format fmt) { setValue("AudioFormat", int(fmt)); }
RP_Format RecordParameter::usedImgFmt() const { return RP_Format(value("ImageFormat", RP_FMT_PNG).toInt()); }
void RecordParameter::setUsedImgFmt(RP_Format fmt) { setValue("ImageFormat", int(fmt)); }

RP_CodecType RecordParameter::getVideoCodecType() const { return RP_CodecType(value("VideoCodec", 1).toInt()); }
RP_CodecQuality RecordParameter::getVideoQuality() const { return RP_CodecQuality(value("VideoQuality", 3).toInt()); }
int RecordParameter::getVideoFrameRate() const { return value("VideoFrameRate", 30).toInt(); }

void RecordParameter::setVideoOpt(int frameRate, RP_CodecType codec, RP_CodecQuality quality)
{
    setValue("VideoFrameRate", frameRate);
    setValue("VideoQuality", int(quality));
    setValue("VideoCodec", int(codec));
}

RP_CodecQuality RecordParameter::getAudioQuality() const { return RP_CodecQuality(value("AudioQuality", 3).toInt()); }
void RecordParameter::setAudioQuality(RP_CodecQuality quality) { setValue("AudioQuality", int(quality)); }

// ---- sound ----

bool RecordParameter::isSystemAudioEnable() const { return value("Audio/System", true).toBool(); }
void RecordParameter::setSystemAudioEnable(bool on) { setValue("Audio/System", on); }
bool RecordParameter::isMicrophoneEnable() const { return value("Audio/Microphone", false).toBool(); }
void RecordParameter::setMicrophoneEnable(bool on) { setValue("Audio/Microphone", on); }
QString RecordParameter::getMicrophoneDevice() const { return value("Audio/MicrophoneDevice", QString()).toString(); }
void RecordParameter::setMicrophoneDevice(const QString& device) { setValue("Audio/MicrophoneDevice", device); }

// ---- mouse ----

RP_MouseClick RecordParameter::getMouseclick() const { return RP_MouseClick(value("MouseOpt/MouseClick", 1).toInt()); }
void RecordParameter::setMouseClick(RP_MouseClick click) { setValue("MouseOpt/MouseClick", int(click)); }
QColor RecordParameter::getMouseClickColor() const
{
    return QColor(value("MouseOpt/ColorHighLight", QStringLiteral("#ffb517")).toString());
}
QColor RecordParameter::getMouseNormalColor() const
{
    return QColor(value("MouseOpt/ColorNormal", QStringLiteral("#d9252b")).toString());
}
void RecordParameter::setMouseColor(const QColor& click, const QColor& normal)
{
    setValue("MouseOpt/ColorHighLight", click.name(QColor::HexRgb));
    setValue("MouseOpt/ColorNormal", normal.name(QColor::HexRgb));
}
bool RecordParameter::isMouseAlwaysShow() const { return value("MouseOpt/Indicate", true).toBool(); }
void RecordParameter::setMouseShow(bool show) { setValue("MouseOpt/Indicate", show); }
bool RecordParameter::isMouseEnable() const { return value("MouseOpt/CursorEnable", true).toBool(); }
void RecordParameter::setMouseRecorder(bool enable) { setValue("MouseOpt/CursorEnable", enable); }

// ---- boolean options ----

bool RecordParameter::isCountDown() const { return value("CountDown", true).toBool(); }
void RecordParameter::setCountDown(bool v) { setValue("CountDown", v); }
bool RecordParameter::isShowBoundary() const { return value("ShowBoundary", true).toBool(); }
void RecordParameter::setShowBoundary(bool v) { setValue("ShowBoundary", v); }
bool RecordParameter::isHideFloat() const { return value("HideFloat", false).toBool(); }
void RecordParameter::setHideFloat(bool v) { setValue("HideFloat", v); }
bool RecordParameter::isHideDesktop() const { return value("HideDesktop", false).toBool(); }
void RecordParameter::setHideDesktop(bool v) { setValue("HideDesktop", v); }
bool RecordParameter::isHideTaskbar() const { return value("HideTaskbar", false).toBool(); }
void RecordParameter::setHideTaskbar(bool v) { setValue("HideTaskbar", v); }
bool RecordParameter::isHideMainWhenScreenshot() const { return value("HideMain", true).toBool(); }
void RecordParameter::setHideMainWhenScreenshot(bool v) { setValue("HideMain", v); }
bool RecordParameter::isMini() const { return value("mini", false).toBool(); }
void RecordParameter::setMini(bool v) { setValue("mini", v); }
bool RecordParameter::isCloseWhenClose() const { return value("CloseWhenClos", false).toBool(); }
void RecordParameter::setCloseWhenClose(bool v) { setValue("CloseWhenClos", v); }
bool RecordParameter::isFollowTheme() const { return value("FollowSystemTheme", false).toBool(); }
void RecordParameter::setFollowTheme(bool v) { setValue("FollowSystemTheme", v); }
bool RecordParameter::isExcludeFloatBar() const { return value("excludeFloatBar", false).toBool(); }
void RecordParameter::setExcludeFloatBar(bool v) { setValue("excludeFloatBar", v); }
bool RecordParameter::isAutoSave() const { return value("AutoSave", false).toBool(); }
void RecordParameter::setAutoSave(bool v) { setValue("AutoSave", v); }
bool RecordParameter::isBeep() const { return value("beep", false).toBool(); }
void RecordParameter::setBeep(bool v) { setValue("beep", v); }
bool RecordParameter::getMoveRegion() const { return value("MoveRegion", false).toBool(); }
void RecordParameter::setMoveRegion(bool v) { setValue("MoveRegion", v); }
int RecordParameter::getRetinaMode() const { return value("RetinaMode", 0).toInt(); }
void RecordParameter::setRetinaMode(int mode) { setValue("RetinaMode", mode); }

// ---- webcam overlay ----

bool RecordParameter::getCamerastream() const { return value("CameraEnable", false).toBool(); }
void RecordParameter::setCamerastream(bool on) { setValue("CameraEnable", on); }
RP_DefalutPos RecordParameter::getCameraDefaultPos() const { return RP_DefalutPos(value("CameraPos", 2).toInt()); }
void RecordParameter::setCameraDefaultPos(RP_DefalutPos pos) { setValue("CameraPos", int(pos)); }

// ---- record length and timed stop ----

bool RecordParameter::isRecordLengthEnable() const { return value("RecordLength/Enable", false).toBool(); }
qint64 RecordParameter::getRecordLength() const { return value("RecordLength/Seconds", 0).toLongLong(); }
void RecordParameter::setRecordLength(bool enable, qint64 seconds)
{
    setValue("RecordLength/Enable", enable);
    setValue("RecordLength/Seconds", seconds);
}
bool RecordParameter::timerEnable() const { return value("Timer/Enable", false).toBool(); }
void RecordParameter::setTimerEnable(bool enable) { setValue("Timer/Enable", enable); }
bool RecordParameter::TimerRepeat() const { return value("Timer/Repeat", false).toBool(); }
void RecordParameter::setTimerRepeat(bool repeat) { setValue("Timer/Repeat", repeat); }
RecStopEvent RecordParameter::timerStopEvent() const { return RecStopEvent(value("Timer/StopEvent", 0).toInt()); }
void RecordParameter::setTimerStopEvent(RecStopEvent event) { setValue("Timer/StopEvent", int(event)); }
qint64 RecordParameter::timerDuration() const { return value("Timer/Duration", 0).toLongLong(); }
void RecordParameter::setTimerDuration(qint64 seconds) { setValue("Timer/Duration", seconds); }

bool RecordParameter::needStopRecord(qint64 seconds) const
{
    if (!timerEnable())
        return false;
    const qint64 duration = timerDuration();
    return duration > 0 && seconds >= duration;
}
