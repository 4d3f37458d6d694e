// The last audio recording: its state, the audio player's trim and volumes, and the
// conversion into the seven audio formats.

#include "TestEnv.h"
#include "TestMain.h"
#include "MediaSupport.h"

#include "Screencast.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

using namespace MediaTest;

class AudioConvertTest : public QObject {
    Q_OBJECT
private:
    QString m_dir;
    QString m_tracks[2];

    // Fresh track files (3 s: system sound 48 kHz stereo WAV, microphone 44.1 kHz mono
    // AAC) made the last recording.
    void record()
    {
        m_tracks[0] = m_dir + QStringLiteral("/system.wav");
        m_tracks[1] = m_dir + QStringLiteral("/mic.m4a");
        QVERIFY(SrTest::run(QStringLiteral("ffmpeg"),
                            {"-y", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=3",
                             "-ac", "2", m_tracks[0]}));
        QVERIFY(SrTest::run(QStringLiteral("ffmpeg"),
                            {"-y", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=660:sample_rate=44100:duration=3",
                             "-ac", "1", "-c:a", "aac", m_tracks[1]}));
        scSetLastAudioRecording(QFile::encodeName(m_tracks[0]).constData(),
                                QFile::encodeName(m_tracks[1]).constData());
    }

    // Converts the last recording; returns the report code (-1 when none came).
    int convert(const QString& target, OutputAudioFileType type, CodecQuality quality = CQ_Medium)
    {
        Reports reports;
        auto converter = scAudioConvert(&reports, QFile::encodeName(target).constData(), type, quality);
        if (!converter)
            return -2;
        double last = 0;
        bool monotone = true;
        SrTest::spinUntil([&] {
            const double p = converter->GetProgress();
            monotone = monotone && p >= last && p <= 1.0;
            last = p;
            return reports.completions > 0;
        });
        QTest::qWait(50);
        if (reports.completions != 1 || !monotone)
            return -3;
        if (reports.lastCode == 0 && converter->GetProgress() != 1.0)
            return -4;
        return reports.lastCode;
    }

    // Confirms [begin, end] in an audio player, as the preview dialog does.
    void trimWithPlayer(double begin, double end)
    {
        Reports reports;
        auto player = CreateAudioPlayer(&reports, nullptr);
        QVERIFY(player);
        QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusReadyToPlay));
        QCOMPARE(player->SetTrimBegin(begin), 0);
        QCOMPARE(player->SetTrimEnd(end), 0);
    }

private slots:
    void initTestCase()
    {
        scInitialize();
        m_dir = SrTest::newFolder(QStringLiteral("audio"));
    }

    void stateFollowsRecording()
    {
        record();
        QVERIFY(qAbs(scGetLastAudioDuration() - 3.0) < 0.05);
        DeleteAudioRecordTempFiles();
        QVERIFY(!QFile::exists(m_tracks[0]));
        QVERIFY(!QFile::exists(m_tracks[1]));
        QCOMPARE(scGetLastAudioDuration(), 0.0);
    }

    void convertsTrimmedMix_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("codec");
        QTest::newRow("m4a") << int(OAFT_M4A) << "m4a" << "aac";
        QTest::newRow("caf") << int(OAFT_CAF) << "caf" << "alac";
        QTest::newRow("mp3") << int(OAFT_MP3) << "mp3" << "mp3";
        QTest::newRow("ogg") << int(OAFT_OGG) << "ogg" << "vorbis";
        QTest::newRow("opus") << int(OAFT_OPUS) << "opus" << "opus";
        QTest::newRow("flac") << int(OAFT_FLAC) << "flac" << "flac";
        QTest::newRow("wma") << int(OAFT_WMA) << "wma" << "wmav2";
    }
    // A two-track recording trimmed to [1, 2] s becomes 1 s of the format's codec, with
    // sound in it, reported once with a progress that ends at 1.
    void convertsTrimmedMix()
    {
        QFETCH(int, type);
        QFETCH(QString, suffix);
        QFETCH(QString, codec);
        record();
        trimWithPlayer(1.0, 2.0);
        const QString target = m_dir + QStringLiteral("/trimmed.") + suffix;
        QCOMPARE(convert(target, OutputAudioFileType(type)), 0);
        const Probe p = probe(target);
        QVERIFY(p.opened);
        QCOMPARE(p.codecs, QStringList{codec});
        QCOMPARE(p.decodeErrors, 0);
        QVERIFY2(qAbs(p.duration - 1.0) <= 0.05, qPrintable(QString::number(p.duration)));
        QVERIFY(p.peak > 0.05);
        QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
    }

    // Every quality writes a file; a higher quality never makes a smaller MP3.
    void qualityRaisesBitRate()
    {
        record();
        qint64 previous = 0;
        for (int q = CQ_Lowest; q <= CQ_Lossless; ++q) {
            const QString target = m_dir + QStringLiteral("/q%1.mp3").arg(q);
            QCOMPARE(convert(target, OAFT_MP3, CodecQuality(q)), 0);
            const qint64 size = QFileInfo(target).size();
            QVERIFY(size >= previous);
            previous = size;
        }
    }

    // The player's volumes reach the converter: both tracks at 0 give silence, one track
    // alone still sounds.
    void volumesReachConverter()
    {
        record();
        {
            Reports reports;
            auto player = CreateAudioPlayer(&reports, nullptr);
            QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusReadyToPlay));
            QCOMPARE(player->SetVolume(0, 0.0f), 0);
            QCOMPARE(player->SetVolume(1, 0.0f), 0);
            QVERIFY(player->SetVolume(2, 1.0f) != 0);
        }
        const QString silent = m_dir + QStringLiteral("/silent.flac");
        QCOMPARE(convert(silent, OAFT_FLAC), 0);
        QVERIFY(probe(silent).peak < 0.001);
        {
            Reports reports;
            auto player = CreateAudioPlayer(&reports, nullptr);
            QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusReadyToPlay));
            player->SetVolume(1, 1.0f);
        }
        const QString mic = m_dir + QStringLiteral("/mic-only.flac");
        QCOMPARE(convert(mic, OAFT_FLAC), 0);
        QVERIFY(probe(mic).peak > 0.05);
    }

    // A recording with one track (no microphone) converts too.
    void singleTrack()
    {
        record();
        scSetLastAudioRecording(QFile::encodeName(m_tracks[0]).constData(), nullptr);
        const QString target = m_dir + QStringLiteral("/single.ogg");
        QCOMPARE(convert(target, OAFT_OGG), 0);
        QVERIFY(qAbs(probe(target).duration - 3.0) <= 0.05);
    }

    // Without a recording, or with an unreadable track, the conversion reports a failure
    // and writes nothing; the audio player reports status 2.
    void failuresAreReported()
    {
        DeleteAudioRecordTempFiles();
        const QString target = m_dir + QStringLiteral("/nothing.mp3");
        QVERIFY(convert(target, OAFT_MP3) > 0);
        QVERIFY(!QFile::exists(target));
        Reports reports;
        auto player = CreateAudioPlayer(&reports, nullptr);
        QVERIFY(player);
        QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusFailed));
        QVERIFY(player->BeginTrimming() != 0);

        const QString broken = m_dir + QStringLiteral("/broken.wav");
        QVERIFY(SrTest::writeFile(broken, 5000));
        scSetLastAudioRecording(QFile::encodeName(broken).constData(), nullptr);
        QVERIFY(convert(target, OAFT_MP3) > 0);
        QVERIFY(!QFile::exists(target));
        QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
    }

    // Releasing a running conversion sends no report and leaves no file.
    void releaseStopsConversion()
    {
        const QString longTrack = m_dir + QStringLiteral("/long.wav");
        QVERIFY(SrTest::makeTone(longTrack, 600));
        scSetLastAudioRecording(QFile::encodeName(longTrack).constData(), nullptr);
        auto reports = std::make_unique<Reports>();
        const QString target = m_dir + QStringLiteral("/released.flac");
        auto converter = scAudioConvert(reports.get(), QFile::encodeName(target).constData(), OAFT_FLAC, CQ_Lossless);
        QVERIFY(converter);
        QVERIFY(SrTest::spinUntil([&] { return converter->GetProgress() > 0.01; }));
        converter.reset();
        QCOMPARE(reports->completions.load(), 0);
        reports.reset();
        QVERIFY(!QFile::exists(target));
        QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
    }
};

SR_TEST(AudioConvertTest)
#include "tst_audioconvert.moc"
