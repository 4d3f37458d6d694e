#include "DeviceManager.h"

#include "services/PlatformSeam.h"

#include <QAudioDeviceInfo>
#include <QGuiApplication>
#include <QScreen>

namespace {
DeviceManager* g_instance = nullptr;
}

DeviceManager* DeviceManager::instance()
{
    if (!g_instance)
        g_instance = new DeviceManager();
    return g_instance;
}

void DeviceManager::release()
{
    delete g_instance;
    g_instance = nullptr;
}

DeviceManager::DeviceManager() = default;

int DeviceManager::getDisplayCount() const { return QGuiApplication::screens().size(); }

QString DeviceManager::getDisplayName(int index) const
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return index >= 0 && index < screens.size() ? screens.at(index)->name() : QString();
}

QRect DeviceManager::getFullScreenRect(int index) const
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return index >= 0 && index < screens.size() ? screens.at(index)->geometry() : QRect();
}

void DeviceManager::setSelectedDisplay(int index) { m_selectedDisplay = index; }

int DeviceManager::getSelectedDisplay() const { return m_selectedDisplay; }

QRect DeviceManager::getSelectedDisplayRect() const
{
    const QRect rect = getFullScreenRect(m_selectedDisplay);
    return rect.isValid() ? rect : getFullScreenRect(0);
}

void DeviceManager::refreshAudioDevices()
{
    m_bAudioListed = false;
    audioDevices();
}

const QStringList& DeviceManager::audioDevices() const
{
    if (m_bAudioListed)
        return m_audioDevices;
    m_bAudioListed = true;
    m_audioDevices.clear();
    for (const QAudioDeviceInfo& device : QAudioDeviceInfo::availableDevices(QAudio::AudioInput))
        if (!m_audioDevices.contains(device.deviceName()))
            m_audioDevices << device.deviceName();
    return m_audioDevices;
}

int DeviceManager::getAudioCaptureDeviceCount() const { return audioDevices().size(); }

QString DeviceManager::getAudioCaptureDeviceInfo(int index) const { return audioDevices().value(index); }

QStringList DeviceManager::getAudioCaptureDevices() const { return audioDevices(); }

bool DeviceManager::isX86_64() const { return PlatformSeam::current()->isX86_64(); }
