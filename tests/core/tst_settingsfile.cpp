// The settings files are the program's format: files written by an earlier build hold every
// key the program stores (the settings file, and the shortcut rows' user-defaults file), and
// this build reads them and writes every value back byte for byte (keys, value forms, escapes
// of non-ASCII text, commas and nested lists). The reference files under data/ were written
// by writeEveryKey() with the code of that earlier build.

#include "OvKeyCodes.h"
#include "OvSettings.h"
#include "OvUserDefaults.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "hotkeys/MASShortcut.h"
#include "preferences/OptionDialog.h"
#include "services/Utils.h"

#include <QFile>
#include <QTest>

namespace {
// Existing folders, so that reading them creates nothing.
const char kVideoFolder[] = "/tmp";
const char kScreenshotFolder[] = "/var/tmp";
const char kHistoryVideo[] = "/var/tmp/Demo, take 2 \xe2\x80\x93 \"final\".mp4";
const int kHotKeys[] = {RP_HK_START, RP_HK_PAUSE, RP_HK_SNAPSHOT, RP_HK_WEBCAM, RP_HK_FLOAT};
const quint64 kWebcamKeyCode = 2;   // D
const quint64 kSnapshotKeyCode = 3; // F
const quint64 kSnapshotModifiers = OvKeyCodes::kShift | OvKeyCodes::kOption;
const char kHistoryPicture[] = "/var/tmp/Bildschirmfoto \xc3\xbc" "ber alles.png";

// The values the windows and prompts store straight into the settings store, each in the
// type its writer stores.
QList<QPair<QString, QVariant>> windowValues()
{
    return {{QStringLiteral("VideoLast/RecordMode"), 2},
            {QStringLiteral("VideoLast/VideoRect"), QRect(40, 30, 800, 600)},
            {QStringLiteral("VideoLast/RegionSize"), 3},
            {QStringLiteral("VideoLast/MouseSize"), QSize(800, 600)},
            {QStringLiteral("CameraWindowPos"), QPoint(120, 80)},
            {QStringLiteral("CameraSize"), QSize(640, 360)},
            {QStringLiteral("CameraMicEnable"), true},
            {QStringLiteral("outputVideo"), QStringLiteral("/var/tmp/.CaptureCamera.mov")},
            {QStringLiteral("pid"), qint64(4194301)},
            {QStringLiteral("WatermarkIndex"), 1},
            {QStringLiteral("HotkeyRemind"), true},
            {QStringLiteral("DeleteLocalFile"), false},
            {QStringLiteral("EndRecord/ReRecordChk"), 1},
            {QStringLiteral("audio/duration"), QStringLiteral("00:01:05")},
            {QStringLiteral("Log/AppLog"), QStringLiteral("/var/tmp/sr.log")},
            {QStringLiteral("Log/EngineLog"), QStringLiteral("/var/tmp/screencast.log")},
            {QStringLiteral("Recover/attachmentDir"), QStringLiteral("/var/tmp")},
            {QStringLiteral("Watermark/LastSelection"), QString::fromUtf8("/var/tmp/Logo (wei\xc3\x9f).png")}};
}

// Sets every key the program stores, through the code that stores it, to a value other than
// its default (where the Preferences dialog saves the control it never loads, the value it
// saves).
void writeEveryKey()
{
    RecordParameter* p = RecordParameter::instance();
    p->setUsedVideoFmt(RP_FMT_MP4);
    p->setUsedAudioFmt(RP_FMT_FLAC);
    p->setUsedImgFmt(RP_FMT_JPG);
    p->setVideoOpt(24, RP_CODEC_H264, RP_QUALITY_HIGH);
    p->setAudioQuality(RP_QUALITY_LOW);
    p->setSystemAudioEnable(false);
    p->setMicrophoneEnable(true);
    p->setMicrophoneDevice(QString::fromUtf8("alsa_input.usb-Mikrofon_\xc3\x9c" "ber-00.analog-stereo"));
    p->setMouseClick(RP_CLICK_BLINK);
    p->setMouseColor(QColor(QStringLiteral("#3788e4")), QColor(10, 20, 30));
    p->setMouseShow(false);
    p->setMouseRecorder(false);
    p->setCountDown(false);
    p->setShowBoundary(false);
    p->setHideFloat(true);
    p->setHideDesktop(true);
    p->setHideTaskbar(true);
    p->setHideMainWhenScreenshot(false);
    p->setMini(true);
    p->setCloseWhenClose(true);
    p->setFollowTheme(true);
    p->setExcludeFloatBar(true);
    p->setAutoSave(true);
    p->setBeep(true);
    p->setMoveRegion(true);
    p->setRetinaMode(0);
    p->setCamerastream(true);
    p->setCameraDefaultPos(RP_POS_BOTTOMRIGHT);
    p->setRecordLength(true, 5400);
    p->setTimerEnable(true);
    p->setTimerRepeat(true);
    p->setTimerStopEvent(RSE_SLEEP);
    p->setTimerDuration(3600);
    Utils::setVideoOutputPath(QString::fromLatin1(kVideoFolder));
    Utils::setSnapshotPath(QString::fromLatin1(kScreenshotFolder));
    OvSettings* settings = OvSettings::instance();
    settings->setAppAutoUpdateEnabled(true);
    settings->setUpdateMode(1);
    HistoryFileUtils::addSavefileHistroy(QString::fromUtf8(kHistoryPicture), HFT_IMAGE, QStringLiteral("1920*1080"),
                                         QString(), QStringLiteral("1.2 MB"));
    HistoryFileUtils::addSavefileHistroy(QString::fromUtf8(kHistoryVideo), HFT_VIDEO, QStringLiteral("1280*720"),
                                         QStringLiteral("00:00:42"), QStringLiteral("12.5 MB"));
    for (const auto& value : windowValues())
        settings->setApplicationParam(value.first, value.second);

    OvUserDefaults* defaults = OvUserDefaults::instance();
    const MASShortcut start = MASShortcut::defaultShortcut(RP_HK_START);
    defaults->setValue(MASShortcut::userDefaultsKey(RP_HK_START), start.data());
    defaults->setValue(MASShortcut::userDefaultsKey(RP_HK_PAUSE), MASShortcut::defaultShortcut(RP_HK_PAUSE).data());
    defaults->setValue(MASShortcut::userDefaultsKey(RP_HK_SNAPSHOT),
                       MASShortcut::shortcutWithKeyCode(kSnapshotKeyCode, kSnapshotModifiers).data());
    defaults->setValue(MASShortcut::userDefaultsKey(RP_HK_WEBCAM),
                       MASShortcut::shortcutWithKeyCode(kWebcamKeyCode, start.modifierFlags()).data());
    defaults->setValue(MASShortcut::userDefaultsKey(RP_HK_FLOAT), MASShortcut::defaultShortcut(RP_HK_FLOAT).data());
}

// Writes every stored value back: the settings model's values through its getters and setters,
// the Preferences through the dialog's load and save, the history and the windows' values
// through the store.
void writeEveryValueBack()
{
    RecordParameter* p = RecordParameter::instance();
    p->setMicrophoneDevice(p->getMicrophoneDevice());
    p->setSystemAudioEnable(p->isSystemAudioEnable());
    p->setMicrophoneEnable(p->isMicrophoneEnable());
    p->setCamerastream(p->getCamerastream());
    p->setCameraDefaultPos(p->getCameraDefaultPos());
    p->setRecordLength(p->isRecordLengthEnable(), p->getRecordLength());
    p->setTimerEnable(p->timerEnable());
    p->setTimerRepeat(p->TimerRepeat());
    p->setTimerStopEvent(p->timerStopEvent());
    p->setTimerDuration(p->timerDuration());
    {
        OptionDialog dialog;
        QVERIFY(dialog.init());
        dialog.onSave();
    }
    const QList<HistoryFileUtils::HistoryFile> history = HistoryFileUtils::savefileHistroy();
    QCOMPARE(history.size(), 2);
    HistoryFileUtils::updateSavefileHistory(history.first().path, history.first().path);
    OvSettings* settings = OvSettings::instance();
    for (const auto& value : windowValues())
        settings->setApplicationParam(value.first, settings->applicationParam(value.first));
    OvUserDefaults* defaults = OvUserDefaults::instance();
    for (int hotKey : kHotKeys)
        defaults->setValue(MASShortcut::userDefaultsKey(hotKey), defaults->value(MASShortcut::userDefaultsKey(hotKey)));
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
    QByteArray m_reference;
    QByteArray m_defaultsReference;
    QString m_defaultsPath;

    // Both files as the earlier build left them, read afresh.
    void useReferenceFiles()
    {
        const QString settingsPath = OvSettings::instance()->fileName();
        for (const auto& copy : {qMakePair(QStringLiteral("data/settings-written-before.ini"), settingsPath),
                                 qMakePair(QStringLiteral("data/userdefaults-written-before.ini"), m_defaultsPath)}) {
            QFile::remove(copy.second);
            QVERIFY(QFile::copy(QFINDTESTDATA(copy.first), copy.second));
            QVERIFY(QFile::setPermissions(copy.second, QFile::ReadOwner | QFile::WriteOwner));
        }
        OvSettings::instance()->reload();
        OvUserDefaults::instance()->setFileName(m_defaultsPath);
    }

private slots:
    void initTestCase()
    {
        m_reference = bytesOf(QFINDTESTDATA("data/settings-written-before.ini"));
        m_defaultsReference = bytesOf(QFINDTESTDATA("data/userdefaults-written-before.ini"));
        QVERIFY(!m_reference.isEmpty());
        QVERIFY(!m_defaultsReference.isEmpty());
        m_defaultsPath = SrTest::newFolder(QStringLiteral("defaults")) + QStringLiteral("/UserDefaults.ini");
    }

    void init()
    {
        QFile::remove(OvSettings::instance()->fileName());
        OvSettings::instance()->reload();
        QFile::remove(m_defaultsPath);
        OvUserDefaults::instance()->setFileName(m_defaultsPath);
    }

    // Every key and value form is what the earlier build wrote.
    void everyKeyIsStoredAsBefore()
    {
        writeEveryKey();
        QCOMPARE(bytesOf(OvSettings::instance()->fileName()), m_reference);
        QCOMPARE(bytesOf(m_defaultsPath), m_defaultsReference);
    }

    void filesWrittenBeforeAreWrittenBackUnchanged()
    {
        useReferenceFiles();
        QCOMPARE(RecordParameter::instance()->usedImgFmt(), RP_FMT_JPG);
        QCOMPARE(Utils::getVideoOutputPath(), QString::fromLatin1(kVideoFolder));

        writeEveryValueBack();
        QCOMPARE(bytesOf(OvSettings::instance()->fileName()), m_reference);
        QCOMPARE(bytesOf(m_defaultsPath), m_defaultsReference);
        // And once more after a restart.
        OvSettings::instance()->reload();
        OvUserDefaults::instance()->setFileName(m_defaultsPath);
        writeEveryValueBack();
        QCOMPARE(bytesOf(OvSettings::instance()->fileName()), m_reference);
        QCOMPARE(bytesOf(m_defaultsPath), m_defaultsReference);
    }
};
SR_TEST(SettingsFileTest)

#include "tst_settingsfile.moc"
