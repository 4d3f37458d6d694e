#include "RecordParameter.h"

#include "OvSettings.h"
#include "ScEngine.h"
#include "SettingsKeys.h"
#include "services/PlatformSeam.h"

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
    const int def = PlatformSeam::current()->supportedCodecs(OVFT_MOV, nullptr, 0) > 0 ? RP_FMT_MOV : RP_FMT_MP4;
    return RP_Format(value(SettingsKeys::kVideoFormat, def).toInt());
}
void RecordParameter::setUsedVideoFmt(RP_Format fmt) { setValue(SettingsKeys::kVideoFormat, int(fmt)); }
RP_Format RecordParameter::usedAudioFmt() const { return RP_Format(value(SettingsKeys::kAudioFormat, RP_FMT_MP3).toInt()); }
void RecordParameter::setUsedAudioFmt(RP_Format fmt) { setValue(SettingsKeys::kAudioFormat, int(fmt)); }
RP_Format RecordParameter::usedImgFmt() const { return RP_Format(value(SettingsKeys::kImageFormat, RP_FMT_PNG).toInt()); }
void RecordParameter::setUsedImgFmt(RP_Format fmt) { setValue(SettingsKeys::kImageFormat, int(fmt)); }

RP_CodecType RecordParameter::getVideoCodecType() const { return RP_CodecType(value(SettingsKeys::kVideoCodec, RP_CODEC_H264).toInt()); }
RP_CodecQuality RecordParameter::getVideoQuality() const { return RP_CodecQuality(value(SettingsKeys::kVideoQuality, RP_QUALITY_MEDIUM).toInt()); }
int RecordParameter::getVideoFrameRate() const { return value(SettingsKeys::kVideoFrameRate, 30).toInt(); }

void RecordParameter::setVideoOpt(int frameRate, RP_CodecType codec, RP_CodecQuality quality)
{
    setValue(SettingsKeys::kVideoFrameRate, frameRate);
    setValue(SettingsKeys::kVideoQuality, int(quality));
    setValue(SettingsKeys::kVideoCodec, int(codec));
}

RP_CodecQuality RecordParameter::getAudioQuality() const { return RP_CodecQuality(value(SettingsKeys::kAudioQuality, RP_QUALITY_MEDIUM).toInt()); }
void RecordParameter::setAudioQuality(RP_CodecQuality quality) { setValue(SettingsKeys::kAudioQuality, int(quality)); }

// ---- sound ----

bool RecordParameter::isSystemAudioEnable() const { return value(SettingsKeys::kSystemAudio, true).toBool(); }
void RecordParameter::setSystemAudioEnable(bool on) { setValue(SettingsKeys::kSystemAudio, on); }
bool RecordParameter::isMicrophoneEnable() const { return value(SettingsKeys::kMicrophone, false).toBool(); }
void RecordParameter::setMicrophoneEnable(bool on) { setValue(SettingsKeys::kMicrophone, on); }
QString RecordParameter::getMicrophoneDevice() const { return value(SettingsKeys::kMicrophoneDevice, QString()).toString(); }
void RecordParameter::setMicrophoneDevice(const QString& device) { setValue(SettingsKeys::kMicrophoneDevice, device); }

// ---- mouse ----

RP_MouseClick RecordParameter::getMouseclick() const { return RP_MouseClick(value(SettingsKeys::kMouseClick, RP_CLICK_SHOW).toInt()); }
void RecordParameter::setMouseClick(RP_MouseClick click) { setValue(SettingsKeys::kMouseClick, int(click)); }
QColor RecordParameter::getMouseClickColor() const
{
    return QColor(value(SettingsKeys::kMouseClickColor, QStringLiteral("#ffb517")).toString());
}
QColor RecordParameter::getMouseNormalColor() const
{
    return QColor(value(SettingsKeys::kMouseNormalColor, QStringLiteral("#d9252b")).toString());
}
void RecordParameter::setMouseColor(const QColor& click, const QColor& normal)
{
    setValue(SettingsKeys::kMouseClickColor, click.name(QColor::HexRgb));
    setValue(SettingsKeys::kMouseNormalColor, normal.name(QColor::HexRgb));
}
bool RecordParameter::isMouseAlwaysShow() const { return value(SettingsKeys::kMouseIndicate, true).toBool(); }
void RecordParameter::setMouseShow(bool show) { setValue(SettingsKeys::kMouseIndicate, show); }
bool RecordParameter::isMouseEnable() const { return value(SettingsKeys::kMouseCursorEnable, true).toBool(); }
void RecordParameter::setMouseRecorder(bool enable) { setValue(SettingsKeys::kMouseCursorEnable, enable); }

// ---- boolean options ----

bool RecordParameter::isCountDown() const { return value(SettingsKeys::kCountDown, true).toBool(); }
void RecordParameter::setCountDown(bool v) { setValue(SettingsKeys::kCountDown, v); }
bool RecordParameter::isShowBoundary() const { return value(SettingsKeys::kShowBoundary, true).toBool(); }
void RecordParameter::setShowBoundary(bool v) { setValue(SettingsKeys::kShowBoundary, v); }
bool RecordParameter::isHideFloat() const { return value(SettingsKeys::kHideFloat, false).toBool(); }
void RecordParameter::setHideFloat(bool v) { setValue(SettingsKeys::kHideFloat, v); }
bool RecordParameter::isHideDesktop() const { return value(SettingsKeys::kHideDesktop, false).toBool(); }
void RecordParameter::setHideDesktop(bool v) { setValue(SettingsKeys::kHideDesktop, v); }
bool RecordParameter::isHideTaskbar() const { return value(SettingsKeys::kHideTaskbar, false).toBool(); }
void RecordParameter::setHideTaskbar(bool v) { setValue(SettingsKeys::kHideTaskbar, v); }
bool RecordParameter::isHideMainWhenScreenshot() const { return value(SettingsKeys::kHideMain, true).toBool(); }
void RecordParameter::setHideMainWhenScreenshot(bool v) { setValue(SettingsKeys::kHideMain, v); }
bool RecordParameter::isMini() const { return value(SettingsKeys::kMini, false).toBool(); }
void RecordParameter::setMini(bool v) { setValue(SettingsKeys::kMini, v); }
bool RecordParameter::isCloseWhenClose() const { return value(SettingsKeys::kCloseWhenClose, false).toBool(); }
void RecordParameter::setCloseWhenClose(bool v) { setValue(SettingsKeys::kCloseWhenClose, v); }
bool RecordParameter::isFollowTheme() const { return value(SettingsKeys::kFollowSystemTheme, false).toBool(); }
void RecordParameter::setFollowTheme(bool v) { setValue(SettingsKeys::kFollowSystemTheme, v); }
bool RecordParameter::isExcludeFloatBar() const { return value(SettingsKeys::kExcludeFloatBar, false).toBool(); }
void RecordParameter::setExcludeFloatBar(bool v) { setValue(SettingsKeys::kExcludeFloatBar, v); }
bool RecordParameter::isAutoSave() const { return value(SettingsKeys::kAutoSave, false).toBool(); }
void RecordParameter::setAutoSave(bool v) { setValue(SettingsKeys::kAutoSave, v); }
bool RecordParameter::isBeep() const { return value(SettingsKeys::kBeep, false).toBool(); }
void RecordParameter::setBeep(bool v) { setValue(SettingsKeys::kBeep, v); }
bool RecordParameter::getMoveRegion() const { return value(SettingsKeys::kMoveRegion, false).toBool(); }
void RecordParameter::setMoveRegion(bool v) { setValue(SettingsKeys::kMoveRegion, v); }
int RecordParameter::getRetinaMode() const { return value(SettingsKeys::kRetinaMode, 0).toInt(); }
void RecordParameter::setRetinaMode(int mode) { setValue(SettingsKeys::kRetinaMode, mode); }

// ---- webcam overlay ----

bool RecordParameter::getCamerastream() const { return value(SettingsKeys::kCameraEnable, false).toBool(); }
void RecordParameter::setCamerastream(bool on) { setValue(SettingsKeys::kCameraEnable, on); }
RP_DefalutPos RecordParameter::getCameraDefaultPos() const { return RP_DefalutPos(value(SettingsKeys::kCameraPos, RP_POS_CENTER).toInt()); }
void RecordParameter::setCameraDefaultPos(RP_DefalutPos pos) { setValue(SettingsKeys::kCameraPos, int(pos)); }

// ---- record length and timed stop ----

bool RecordParameter::isRecordLengthEnable() const { return value(SettingsKeys::kRecordLengthEnable, false).toBool(); }
qint64 RecordParameter::getRecordLength() const { return value(SettingsKeys::kRecordLengthSeconds, 0).toLongLong(); }
void RecordParameter::setRecordLength(bool enable, qint64 seconds)
{
    setValue(SettingsKeys::kRecordLengthEnable, enable);
    setValue(SettingsKeys::kRecordLengthSeconds, seconds);
}
bool RecordParameter::timerEnable() const { return value(SettingsKeys::kTimerEnable, false).toBool(); }
void RecordParameter::setTimerEnable(bool enable) { setValue(SettingsKeys::kTimerEnable, enable); }
bool RecordParameter::TimerRepeat() const { return value(SettingsKeys::kTimerRepeat, false).toBool(); }
void RecordParameter::setTimerRepeat(bool repeat) { setValue(SettingsKeys::kTimerRepeat, repeat); }
RecStopEvent RecordParameter::timerStopEvent() const { return RecStopEvent(value(SettingsKeys::kTimerStopEvent, RSE_NOTHING).toInt()); }
void RecordParameter::setTimerStopEvent(RecStopEvent event) { setValue(SettingsKeys::kTimerStopEvent, int(event)); }
qint64 RecordParameter::timerDuration() const { return value(SettingsKeys::kTimerDuration, 0).toLongLong(); }
void RecordParameter::setTimerDuration(qint64 seconds) { setValue(SettingsKeys::kTimerDuration, seconds); }

bool RecordParameter::needStopRecord(qint64 seconds) const
{
    if (!timerEnable())
        return false;
    const qint64 duration = timerDuration();
    return duration > 0 && seconds >= duration;
}
