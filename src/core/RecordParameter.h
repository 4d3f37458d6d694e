#pragma once
// The recording-settings model. Every stored value lives in the settings store and each
// setter writes its key at once; the run-time state below is never stored.
// Reads and writes are safe from any thread (the store and the state each hold a lock).

#include "RecordTypes.h"

#include <QColor>
#include <QMutex>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>

class RecordParameter {
public:
    static RecordParameter* instance();
    static void release();

    // ---- run-time flags shared by several windows (not stored) ----
    std::atomic<bool> m_bRecording{false};     // a recording runs
    std::atomic<bool> m_bHideCtrlBar{false};   // the control bar is hidden
    std::atomic<bool> m_bPreview{false};       // the preview or clip dialog is open
    std::atomic<bool> m_bPause{false};         // the running recording is paused

    // ---- run-time state of the current recording (not stored) ----
    QRect getVideoRect() const;
    void setVideoRect(const QRect& rect);
    QString getDisplayName() const;
    void setDisplayName(const QString& name);
    int getUseDisplayIndex() const;
    void setUseDisplayIndex(int index);
    bool isKeepRatio() const;
    void setKeepRatio(bool keep);
    bool isWindowRecord() const;
    void setWindowRecord(bool window);
    WindowModle getWindowMode() const;
    void setWindowMode(WindowModle mode);
    QList<quint64> getWindowList() const;       // X window ids
    void setWindowList(const QList<quint64>& ids);
    bool isOnlyRecordAudio() const;
    void setOnlyRecordAudio(bool only);
    bool isOnlyRecordCamera() const;
    void setOnlyRecordCamera(bool only);
    int getCameraIndex() const;
    void setCameraIndex(int index);
    QPoint getCameraPosition() const;
    void setCameraPosition(const QPoint& pos);
    QSize getCameraResolution() const;
    void setCameraResolution(const QSize& size);
    bool isAroundMouse() const;
    void setAroundMouse(bool around);
    QSize getAroundMouseSize() const;
    void setAroundMouseSize(const QSize& size);
    bool isFollowMouse() const;
    void setFollowMouse(bool follow);
    // Screen video is recorded (not audio only, not camera only).
    bool getVideoEnable() const;

    // ---- formats and codecs ----
    RP_Format usedVideoFmt() const;
    void setUsedVideoFmt(RP_Format fmt);
    RP_Format usedAudioFmt() const;
    void setUsedAudioFmt(RP_Format fmt);
    RP_Format usedImgFmt() const;
    void setUsedImgFmt(RP_Format fmt);
    RP_CodecType getVideoCodecType() const;
    RP_CodecQuality getVideoQuality() const;
    int getVideoFrameRate() const;
    void setVideoOpt(int frameRate, RP_CodecType codec, RP_CodecQuality quality);
    RP_CodecQuality getAudioQuality() const;
    void setAudioQuality(RP_CodecQuality quality);

    // ---- sound ----
    bool isSystemAudioEnable() const;
    void setSystemAudioEnable(bool on);
    bool isMicrophoneEnable() const;
    void setMicrophoneEnable(bool on);
    QString getMicrophoneDevice() const; // empty: the default source
    void setMicrophoneDevice(const QString& device);

    // ---- mouse ----
    RP_MouseClick getMouseclick() const;
    void setMouseClick(RP_MouseClick click);
    QColor getMouseClickColor() const;
    QColor getMouseNormalColor() const;
    void setMouseColor(const QColor& click, const QColor& normal);
    bool isMouseAlwaysShow() const;
    void setMouseShow(bool show);
    bool isMouseEnable() const;
    void setMouseRecorder(bool enable);

    // ---- boolean options ----
    bool isCountDown() const;
    void setCountDown(bool v);
    bool isShowBoundary() const;
    void setShowBoundary(bool v);
    bool isHideFloat() const;
    void setHideFloat(bool v);
    bool isHideDesktop() const;
    void setHideDesktop(bool v);
    bool isHideTaskbar() const;
    void setHideTaskbar(bool v);
    bool isHideMainWhenScreenshot() const;
    void setHideMainWhenScreenshot(bool v);
    bool isMini() const;
    void setMini(bool v);
    bool isCloseWhenClose() const;
    void setCloseWhenClose(bool v);
    bool isFollowTheme() const;
    void setFollowTheme(bool v);
    bool isExcludeFloatBar() const;
    void setExcludeFloatBar(bool v);
    bool isAutoSave() const;
    void setAutoSave(bool v);
    bool isBeep() const;
    void setBeep(bool v);
    bool getMoveRegion() const;
    void setMoveRegion(bool v);
    int getRetinaMode() const;
    void setRetinaMode(int mode);

    // ---- webcam overlay ----
    bool getCamerastream() const;
    void setCamerastream(bool on);
    RP_DefalutPos getCameraDefaultPos() const;
    void setCameraDefaultPos(RP_DefalutPos pos);

    // ---- record length and timed stop ----
    bool isRecordLengthEnable() const;
    qint64 getRecordLength() const; // seconds
    void setRecordLength(bool enable, qint64 seconds);
    bool timerEnable() const;
    void setTimerEnable(bool enable);
    bool TimerRepeat() const;
    void setTimerRepeat(bool repeat);
    RecStopEvent timerStopEvent() const;
    void setTimerStopEvent(RecStopEvent event);
    qint64 timerDuration() const; // seconds
    void setTimerDuration(qint64 seconds);
    // True when the timed stop is on and `seconds` have reached its duration.
    bool needStopRecord(qint64 seconds) const;

private:
    RecordParameter() = default;
    static QVariant value(const char* key, const QVariant& def);
    static void setValue(const char* key, const QVariant& value);
    template <class T>
    T locked(const T& member) const
    {
        QMutexLocker lock(&m_mutex);
        return member;
    }
    template <class T>
    void store(T& member, const T& value)
    {
        QMutexLocker lock(&m_mutex);
        member = value;
    }

    mutable QMutex m_mutex;
    QRect m_videoRect;
    QString m_displayName;
    int m_displayIndex = 0;
    bool m_keepRatio = false;
    bool m_windowRecord = false;
    WindowModle m_windowMode = WM_SINGLE;
    QList<quint64> m_windowList;
    bool m_onlyAudio = false;
    bool m_onlyCamera = false;
    int m_cameraIndex = 0;
    QPoint m_cameraPos;
    QSize m_cameraResolution;
    bool m_aroundMouse = false;
    QSize m_aroundMouseSize{640, 480};
    bool m_followMouse = false;
};
