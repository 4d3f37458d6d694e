#pragma once
// Displays, sound capture devices and permission states. GUI thread. The sound devices are
// listed on first use (the sound system's enumeration is slow), and again on refresh.

#include <QRect>
#include <QString>
#include <QStringList>

class DeviceManager {
public:
    static DeviceManager* instance();
    static void release();

    int getDisplayCount() const;
    QString getDisplayName(int index) const;
    // Geometry of display `index` in desktop coordinates; empty for an unknown index.
    QRect getFullScreenRect(int index) const;
    void setSelectedDisplay(int index);
    int getSelectedDisplay() const;
    QRect getSelectedDisplayRect() const;

    // Sound capture sources of the sound server (microphones and monitors).
    int getAudioCaptureDeviceCount() const;
    QString getAudioCaptureDeviceInfo(int index) const;
    QStringList getAudioCaptureDevices() const;
    void refreshAudioDevices();

    // The answer of a permission query when the source may be recorded.
    static constexpr int kPermissionGranted = 2;
    // On X11 nothing needs a grant: every query answers kPermissionGranted.
    int isPermissionMicrophone() const { return kPermissionGranted; }
    int isPermissionScreenCapture() const { return kPermissionGranted; }
    int isPermissionCamera() const { return kPermissionGranted; }
    bool isX86_64() const;

private:
    DeviceManager();
    const QStringList& audioDevices() const;
    int m_selectedDisplay = 0;
    mutable bool m_bAudioListed = false;
    mutable QStringList m_audioDevices;
};
