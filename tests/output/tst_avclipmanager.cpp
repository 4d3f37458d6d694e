// The player, trim and export facade: its reports through the signal hub, the export
// and audio format rules, one player at a time, and its emptiness after exportCancel.

#include "TestEnv.h"
#include "TestMain.h"

#include "core/RecordParameter.h"
#include "core/SignalsTransfer.h"
#include "output/AVClipManager.h"
#include "services/Utils.h"

#include "Screencast.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class AVClipManagerTest : public QObject {
    Q_OBJECT
private:
    QString m_dir;
    QString m_clip;

    static SignalsTransfer* hub() { return SignalsTransfer::instance(); }

    // The brand of an MP4-family file: "qt  " for QuickTime, "isom"/"M4V " otherwise.
    static QByteArray brand(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return file.read(12).mid(8, 4);
    }

    void makeRecording()
    {
        const QString system = m_dir + QStringLiteral("/system.wav");
        const QString mic = m_dir + QStringLiteral("/mic.wav");
        QVERIFY(SrTest::makeTone(system, 2.0, 440));
        QVERIFY(SrTest::makeTone(mic, 2.0, 880));
        scSetLastAudioRecording(QFile::encodeName(system).constData(), QFile::encodeName(mic).constData());
    }

    // Waits for the player's status through the hub.
    static int waitStatus(QSignalSpy& spy)
    {
        if (spy.isEmpty() && !spy.wait(20000))
            return 0;
        return spy.takeFirst().at(0).toInt();
    }

    // Exports the first second of the clip to `path`; returns the hub's completion value.
    bool exportTo(const QString& path)
    {
        QWidget host;
        AVClipManager manager;
        QSignalSpy status(hub(), &SignalsTransfer::OnStatueChanged);
        QSignalSpy done(hub(), &SignalsTransfer::OnExportCompleted);
        manager.createVideoPlayer(m_clip, &host);
        if (waitStatus(status) != 1 || !manager.setTrimmEnd(1.0) || !manager.exportToFile(path))
            return false;
        if (!done.wait(30000))
            return false;
        const bool ok = done.takeFirst().at(0).toBool();
        manager.exportCancel();
        return ok;
    }

private slots:
    void initTestCase()
    {
        scInitialize();
        m_dir = SrTest::newFolder(QStringLiteral("clipmanager"));
        m_clip = m_dir + QStringLiteral("/clip é.mp4");
        QVERIFY(SrTest::makeClip(m_clip, 2.0));
    }

    // Status, trim and export reports arrive through the hub; the progress ends at 1 and
    // the exported size is the file's.
    void reportsThroughHub()
    {
        QWidget host;
        host.resize(480, 320);
        AVClipManager manager;
        QVERIFY(manager.isPause());
        QSignalSpy status(hub(), &SignalsTransfer::OnStatueChanged);
        QSignalSpy trimOK(hub(), &SignalsTransfer::OnTrimOK);
        QSignalSpy trimCancel(hub(), &SignalsTransfer::OnTrimCancel);
        QSignalSpy done(hub(), &SignalsTransfer::OnExportCompleted);
        manager.createVideoPlayer(m_clip, &host);
        QCOMPARE(waitStatus(status), 1);
        QVERIFY(manager.beginTrimming());
        QVERIFY(manager.setTrimmBegin(0.5));
        QVERIFY(!manager.setTrimmEnd(0.25));
        host.findChild<QPushButton*>(QStringLiteral("btnTrimCancel"))->click();
        QCOMPARE(trimCancel.count(), 1);
        QVERIFY(manager.beginTrimming());
        QVERIFY(manager.setTrimmBegin(0.5));
        QVERIFY(manager.setTrimmEnd(1.5));
        host.findChild<QPushButton*>(QStringLiteral("btnTrimOK"))->click();
        QCOMPARE(trimOK.count(), 1);
        QCOMPARE(trimOK.at(0).at(0).toDouble(), 0.5);
        QCOMPARE(trimOK.at(0).at(1).toDouble(), 1.5);

        manager.resume();
        QVERIFY(!manager.isPause());
        manager.pause();
        QVERIFY(manager.isPause());

        const QString target = m_dir + QStringLiteral("/clip é_clip.mov");
        QVERIFY(manager.exportToFile(target));
        QVERIFY(done.wait(30000));
        QTest::qWait(100);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QCOMPARE(manager.getExportProgress(), 1.0);
        QCOMPARE(manager.getExportFileSize(), QFileInfo(target).size());
        QCOMPARE(brand(target), QByteArray("qt  "));
        QVERIFY(qAbs(Utils::getMediaDuration(target) - 1.0) < 0.05);
        manager.exportCancel();
        QTest::qWait(100);
        QCOMPARE(done.count(), 1);
    }

    // The format follows the suffix exactly: upper-case suffixes and unknown ones give MP4.
    void suffixRuleIsCaseSensitive()
    {
        QVERIFY(exportTo(m_dir + QStringLiteral("/upper.MOV")));
        QCOMPARE(brand(m_dir + QStringLiteral("/upper.MOV")), QByteArray("isom"));
        QVERIFY(exportTo(m_dir + QStringLiteral("/other.avi")));
        QCOMPARE(brand(m_dir + QStringLiteral("/other.avi")), QByteArray("isom"));
        QVERIFY(exportTo(m_dir + QStringLiteral("/lower.m4v")));
        QCOMPARE(brand(m_dir + QStringLiteral("/lower.m4v")), QByteArray("M4V "));
        QVERIFY(exportTo(m_dir + QStringLiteral("/lower.gif")));
        QFile gif(m_dir + QStringLiteral("/lower.gif"));
        QVERIFY(gif.open(QIODevice::ReadOnly));
        QCOMPARE(gif.read(3), QByteArray("GIF"));
    }

    // Without an audio player, and after exportCancel, every call does nothing and answers
    // false, 0 or empty: nothing is reported and no file is written.
    void emptyAfterExportCancel()
    {
        makeRecording();
        QWidget host;
        AVClipManager manager;
        QSignalSpy status(hub(), &SignalsTransfer::OnStatueChanged);
        QSignalSpy done(hub(), &SignalsTransfer::OnExportCompleted);
        QCOMPARE(manager.AudioExport(m_dir + QStringLiteral("/none.")), QString());
        manager.createVideoPlayer(m_clip, &host);
        QCOMPARE(waitStatus(status), 1);
        manager.exportCancel();
        QVERIFY(!host.findChild<QWidget*>(QStringLiteral("scPlayerView")));
        QVERIFY(!manager.beginTrimming());
        QVERIFY(!manager.setTrimmBegin(0.1));
        QCOMPARE(manager.getExportProgress(), 0.0);
        QCOMPARE(manager.getExportFileSize(), 0LL);
        QVERIFY(!manager.exportToFile(m_dir + QStringLiteral("/after.mp4")));
        QCOMPARE(manager.AudioExport(m_dir + QStringLiteral("/after.")), QString());
        QCOMPARE(manager.getAudioConvertProgress(), 0.0);
        QCOMPARE(manager.Seek(1.0), 0);
        manager.createVideoPlayer(m_clip, &host);
        QVERIFY(!host.findChild<QWidget*>(QStringLiteral("scPlayerView")));
        manager.exportCancel();
        QTest::qWait(200);
        QCOMPARE(done.count(), 0);
        QVERIFY(!QFile::exists(m_dir + QStringLiteral("/none.mp3")));
    }

    // Only one player exists at a time, whichever is created last.
    void onePlayerAtATime()
    {
        makeRecording();
        QWidget host;
        AVClipManager manager;
        manager.createAudioPlayer(&host);
        QCOMPARE(host.findChildren<QWidget*>(QStringLiteral("scPlayerView")).size(), 1);
        manager.createVideoPlayer(m_clip, &host);
        QCOMPARE(host.findChildren<QWidget*>(QStringLiteral("scPlayerView")).size(), 1);
        // With the video player in place, the audio-only calls do nothing.
        QCOMPARE(manager.AudioExport(m_dir + QStringLiteral("/novideo.")), QString());
        manager.createAudioPlayer(&host);
        QCOMPARE(host.findChildren<QWidget*>(QStringLiteral("scPlayerView")).size(), 1);
        // With the audio player in place, the video-only calls do nothing.
        QVERIFY(!manager.exportToFile(m_dir + QStringLiteral("/noaudio.mp4")));
        QVERIFY(!QFile::exists(m_dir + QStringLiteral("/noaudio.mp4")));
    }

    // The audio format comes from the settings; values that are no audio format give MP3.
    // The trimmed length and the volumes reach the converted file.
    void audioFormatFromSettings_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("extension");
        QTest::newRow("flac") << int(RP_FMT_FLAC) << "flac";
        QTest::newRow("ogg") << int(RP_FMT_OGG) << "ogg";
        QTest::newRow("gif falls back") << int(RP_FMT_GIF) << "mp3";
        QTest::newRow("png falls back") << int(RP_FMT_PNG) << "mp3";
    }
    void audioFormatFromSettings()
    {
        QFETCH(int, format);
        QFETCH(QString, extension);
        makeRecording();
        RecordParameter::instance()->setUsedAudioFmt(RP_Format(format));
        QWidget host;
        AVClipManager manager;
        QSignalSpy status(hub(), &SignalsTransfer::OnStatueChanged);
        QSignalSpy done(hub(), &SignalsTransfer::OnExportCompleted);
        manager.createAudioPlayer(&host);
        QCOMPARE(waitStatus(status), 1);
        QVERIFY(qAbs(Utils::getAudioDuration() - 2.0) < 0.05);
        manager.SetRanderVolume(0.5f);
        manager.SetMicVolume(0.5f);
        QVERIFY(manager.setTrimmBegin(0.5));
        QVERIFY(manager.setTrimmEnd(1.5));
        QCOMPARE(manager.Seek(0.5), 0);
        const QString base = m_dir + QStringLiteral("/audio_clip.");
        const QString output = manager.AudioExport(base);
        QCOMPARE(output, base + extension);
        QVERIFY(!host.findChild<QWidget*>(QStringLiteral("scPlayerView")));
        QVERIFY(done.wait(30000));
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QCOMPARE(manager.getAudioConvertProgress(), 1.0);
        QVERIFY(qAbs(Utils::getMediaDuration(output) - 1.0) < 0.05);
        manager.exportCancel();

        manager.deleteTempFile();
        QCOMPARE(Utils::getAudioDuration(), 0.0);
    }
};

SR_TEST(AVClipManagerTest)
#include "tst_avclipmanager.moc"
