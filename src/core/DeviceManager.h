#pragma once
// Displays, sound capture devices and permission states.

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

    // On X11 nothing needs a grant: both answer 2 (granted).
    int isPermissionMicrophone() const { return 2; }
    int isPermissionScreenCapture() const { return 2; }
    int isPermissionCamera() const { return 2; }
    bool isX86_64() const;

private:
    DeviceManager();
    int m_selectedDisplay = 0;
    QStringList m_audioDevices;
};
