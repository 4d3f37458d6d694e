#include "TestMain.h"
#include "core/DeviceManager.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class TestDeviceManager : public QObject {
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
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QSKIP("no sound server for this run");
        DeviceManager* d = DeviceManager::instance();
        d->refreshAudioDevices();
        QVERIFY2(d->getAudioCaptureDevices().contains("nullsink.monitor"),
                 qPrintable(d->getAudioCaptureDevices().join(", ")));
        QCOMPARE(d->getAudioCaptureDeviceCount(), d->getAudioCaptureDevices().size());
        QCOMPARE(d->getAudioCaptureDeviceInfo(d->getAudioCaptureDeviceCount()), QString());
    }
};
SR_TEST(TestDeviceManager)

#include "tst_devicemanager.moc"
