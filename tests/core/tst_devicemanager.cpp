#include "TestMain.h"
#include "core/DeviceManager.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class DeviceManagerTest : public QObject {
    Q_OBJECT
private slots:
    void displaysComeFromTheScreens()
    {
        DeviceManager* d = DeviceManager::instance();
        QCOMPARE(d->getDisplayCount(), QGuiApplication::screens().size());
        QCOMPARE(d->getFullScreenRect(0), QGuiApplication::primaryScreen()->geometry());
        QVERIFY(d->getFullScreenRect(99).isNull());
        d->setSelectedDisplay(99); // an unplugged display falls back to the first
        QCOMPARE(d->getSelectedDisplayRect(), d->getFullScreenRect(0));
        d->setSelectedDisplay(0);
        QCOMPARE(d->isPermissionScreenCapture(), 2);
        QCOMPARE(d->isPermissionMicrophone(), 2);
    }

    void soundSourcesComeFromTheSoundServer()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("PULSE_SERVER"), "needs the test sound server (scripts/with-services.sh)");
        DeviceManager* d = DeviceManager::instance();
        d->refreshAudioDevices();
        QVERIFY2(d->getAudioCaptureDevices().contains("nullsink.monitor"),
                 qPrintable(d->getAudioCaptureDevices().join(", ")));
        QCOMPARE(d->getAudioCaptureDeviceCount(), d->getAudioCaptureDevices().size());
        QCOMPARE(d->getAudioCaptureDeviceInfo(d->getAudioCaptureDeviceCount()), QString());
    }
};
// With the display programs: they get the test sound server.
SR_TEST_DISPLAY(DeviceManagerTest)

#include "tst_devicemanager.moc"
