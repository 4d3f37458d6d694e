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
QRect RecordParameter::getVideoRect() const { return locked(m_videoRect); }
QString RecordParameter::getDisplayName() const { return locked(m_displayName); }
QList<quint64> RecordParameter::getWindowList() const { return locked(m_windowList); }
QPoint RecordParameter::getCameraPosition() const { return locked(m_cameraPos); }
QSize RecordParameter::getCameraResolution() const { return locked(m_cameraResolution); }
QSize RecordParameter::getAroundMouseSize() const { return locked(m_aroundMouseSize); }
WindowModle RecordParameter::getWindowMode() const { return locked(m_windowMode); }
int RecordParameter::getUseDisplayIndex() const { return locked(m_displayIndex); }
bool RecordParameter::isKeepRatio() const { return locked(m_keepRatio); }
bool RecordParameter::isWindowRecord() const { return locked(m_windowRecord); }
bool RecordParameter::isOnlyRecordAudio() const { return locked(m_onlyAudio); }
bool RecordParameter::isOnlyRecordCamera() const { return locked(m_onlyCamera); }
int RecordParameter::getCameraIndex() const { return locked(m_cameraIndex); }
bool RecordParameter::isAroundMouse() const { return locked(m_aroundMouse); }
bool RecordParameter::isFollowMouse() const { return locked(m_followMouse); }
void RecordParameter::setVideoRect(const QRect& rect) { store(m_videoRect, rect); }
void RecordParameter::setDisplayName(const QString& name) { store(m_displayName, name); }
void RecordParameter::setWindowList(const QList<quint64>& ids) { store(m_windowList, ids); }
void RecordParameter::setCameraPosition(const QPoint& pos) { store(m_cameraPos, pos); }
void RecordParameter::setCameraResolution(const QSize& size) { store(m_cameraResolution, size); }
void RecordParameter::setAroundMouseSize(const QSize& size) { store(m_aroundMouseSize, size); }
void RecordParameter::setWindowMode(WindowModle mode) { store(m_windowMode, mode); }
void RecordParameter::setUseDisplayIndex(int index) { store(m_displayIndex, index); }
void RecordParameter::setKeepRatio(bool keep) { store(m_keepRatio, keep); }
void RecordParameter::setWindowRecord(bool window) { store(m_windowRecord, window); }
void RecordParameter::setOnlyRecordAudio(bool only) { store(m_onlyAudio, only); }
void RecordParameter::setOnlyRecordCamera(bool only) { store(m_onlyCamera, only); }
void RecordParameter::setCameraIndex(int index) { store(m_cameraIndex, index); }
void RecordParameter::setAroundMouse(bool around) { store(m_aroundMouse, around); }
void RecordParameter::setFollowMouse(bool follow) { store(m_followMouse, follow); }

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

RP_CodecType RecordParameter::getVideoCodecType() const { return RP_CodecType(value("VideoCodec", RP_CODEC_H264).toInt()); }
RP_CodecQuality RecordParameter::getVideoQuality() const { return RP_CodecQuality(value("VideoQuality", RP_QUALITY_MEDIUM).toInt()); }
int RecordParameter::getVideoFrameRate() const { return value("VideoFrameRate", 30).toInt(); }

void RecordParameter::setVideoOpt(int frameRate, RP_CodecType codec, RP_CodecQuality quality)
{
    setValue("VideoFrameRate", frameRate);
    setValue("VideoQuality", int(quality));
    setValue("VideoCodec", int(codec));
}

RP_CodecQuality RecordParameter::getAudioQuality() const { return RP_CodecQuality(value("AudioQuality", RP_QUALITY_MEDIUM).toInt()); }
void RecordParameter::setAudioQuality(RP_CodecQuality quality) { setValue("AudioQuality", int(quality)); }

// ---- sound ----

bool RecordParameter::isSystemAudioEnable() const { return value("Audio/System", true).toBool(); }
void RecordParameter::setSystemAudioEnable(bool on) { setValue("Audio/System", on); }
bool RecordParameter::isMicrophoneEnable() const { return value("Audio/Microphone", false).toBool(); }
void RecordParameter::setMicrophoneEnable(bool on) { setValue("Audio/Microphone", on); }
QString RecordParameter::getMicrophoneDevice() const { return value("Audio/MicrophoneDevice", QString()).toString(); }
void RecordParameter::setMicrophoneDevice(const QString& device) { setValue("Audio/MicrophoneDevice", device); }

// ---- mouse ----

RP_MouseClick RecordParameter::getMouseclick() const { return RP_MouseClick(value("MouseOpt/MouseClick", RP_CLICK_SHOW).toInt()); }
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
RP_DefalutPos RecordParameter::getCameraDefaultPos() const { return RP_DefalutPos(value("CameraPos", RP_POS_CENTER).toInt()); }
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
RecStopEvent RecordParameter::timerStopEvent() const { return RecStopEvent(value("Timer/StopEvent", RSE_NOTHING).toInt()); }
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
