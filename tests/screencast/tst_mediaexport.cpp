// Video export of a trimmed range: containers, cuts, progress, reports, cancel, release.

#include "TestEnv.h"
#include "TestMain.h"
#include "MediaSupport.h"

#include "Screencast.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <memory>

using namespace MediaTest;

class MediaExportTest : public QObject {
    Q_OBJECT
private:
    QString m_dir;
    QString m_clip;  // 3 s, H.264 + AAC
    QString m_long;  // 20 s, for exports that must still run when cancelled

    // A player over `path` that reports ready.
    CBasePtr<CAVPlayerObject> openPlayer(Reports& reports, const QString& path)
    {
        auto player = CreateAVPlayer(&reports, QFile::encodeName(path).constData(), nullptr);
        if (player && waitStatus(reports) != AVPlayerItemStatusReadyToPlay)
            player.reset();
        return player;
    }

    // Files in the output folder besides the sources.
    QStringList leftovers(const QString& prefix)
    {
        return QDir(m_dir).entryList({prefix + QStringLiteral("*")}, QDir::Files);
    }

private slots:
    void initTestCase()
    {
        scInitialize();
        m_dir = SrTest::newFolder(QStringLiteral("export"));
        m_clip = m_dir + QStringLiteral("/clip.mp4");
        m_long = m_dir + QStringLiteral("/long.mp4");
        QVERIFY(SrTest::makeClip(m_clip, 3.0));
        QVERIFY(SrTest::makeClip(m_long, 20.0, 1280, 720));
    }

    void trimmedExport_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("videoCodec");
        QTest::addColumn<bool>("withAudio");
        QTest::newRow("mp4") << int(OVFT_MP4) << "mp4" << "h264" << true;
        QTest::newRow("mov") << int(OVFT_MOV) << "mov" << "h264" << true;
        QTest::newRow("m4v") << int(OVFT_M4V) << "m4v" << "h264" << true;
        QTest::newRow("gif") << int(OVFT_GIF) << "gif" << "gif" << false;
    }

    // [0.5, 1.5] of a 3 s clip is 1.0 s (within a frame), decodes, and is reported once
    // with a progress that only grows and ends at 1.
    void trimmedExport()
    {
        QFETCH(int, type);
        QFETCH(QString, suffix);
        QFETCH(QString, videoCodec);
        QFETCH(bool, withAudio);
        Reports reports;
        auto player = openPlayer(reports, m_clip);
        QVERIFY(player);
        QCOMPARE(player->SetTrimBegin(0.5), 0);
        QCOMPARE(player->SetTrimEnd(1.5), 0);
        const QString target = m_dir + QStringLiteral("/trim.") + suffix;
        QCOMPARE(player->Export(QFile::encodeName(target).constData(), OutputVideoFileType(type), &reports), 0);
        double last = 0;
        bool monotone = true;
        SrTest::spinUntil([&] {
            const double p = player->GetExportProgress();
            monotone = monotone && p >= last && p <= 1.0;
            last = p;
            return reports.completions > 0;
        });
        QTest::qWait(200);
        QCOMPARE(reports.completions.load(), 1);
        QCOMPARE(reports.lastOk.load(), 1);
        QVERIFY(monotone);
        QCOMPARE(player->GetExportProgress(), 1.0);
        QCOMPARE(player->GetExportedSize(), QFileInfo(target).size());

        const Probe p = probe(target);
        QVERIFY(p.opened);
        QCOMPARE(p.decodeErrors, 0);
        QCOMPARE(p.codecs.value(0), videoCodec);
        QCOMPARE(p.codecs.contains(QStringLiteral("aac")), withAudio);
        const double frame = 1.0 / 30;
        QVERIFY2(qAbs(p.duration - 1.0) <= frame + 0.011, qPrintable(QString::number(p.duration)));
        QVERIFY2(qAbs(p.videoFrames - 30) <= 1, qPrintable(QString::number(p.videoFrames)));
        QVERIFY(leftovers(QStringLiteral("trim.") + suffix + QStringLiteral(".")).isEmpty());
    }

    // The export keeps the source's codec family.
    void keepsCodecFamily_data()
    {
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("codec");
        QTest::newRow("hevc") << "libx265" << "mp4" << int(OVFT_MP4) << "hevc";
        QTest::newRow("prores") << "prores_ks" << "mov" << int(OVFT_MOV) << "prores";
    }
    void keepsCodecFamily()
    {
        QFETCH(QString, encoder);
        QFETCH(QString, suffix);
        QFETCH(int, type);
        QFETCH(QString, codec);
        const QString source = m_dir + QStringLiteral("/family-src.") + suffix;
        QVERIFY(SrTest::makeClip(source, 2.0, 320, 240, encoder));
        Reports reports;
        auto player = openPlayer(reports, source);
        QVERIFY(player);
        QCOMPARE(player->SetTrimBegin(0.5), 0);
        const QString target = m_dir + QStringLiteral("/family.") + suffix;
        QCOMPARE(player->Export(QFile::encodeName(target).constData(), OutputVideoFileType(type), &reports), 0);
        QVERIFY(SrTest::spinUntil([&] { return reports.completions > 0; }, 60000));
        QCOMPARE(reports.lastOk.load(), 1);
        const Probe p = probe(target);
        QCOMPARE(p.codecs.value(0), codec);
        QVERIFY2(qAbs(p.duration - 1.5) <= 0.05, qPrintable(QString::number(p.duration)));
    }

    // A source of another codec, with an odd picture size and no sound, becomes H.264
    // with an even size and no sound track.
    void otherCodecOddSize()
    {
        const QString source = m_dir + QStringLiteral("/odd.mkv");
        QVERIFY(SrTest::makeClip(source, 2.0, 321, 241, QStringLiteral("ffv1"), false));
        Reports reports;
        auto player = openPlayer(reports, source);
        QVERIFY(player);
        QCOMPARE(player->SetTrimEnd(1.0), 0);
        const QString target = m_dir + QStringLiteral("/odd.mp4");
        QCOMPARE(player->Export(QFile::encodeName(target).constData(), OVFT_MP4, &reports), 0);
        QVERIFY(SrTest::spinUntil([&] { return reports.completions > 0; }));
        QCOMPARE(reports.lastOk.load(), 1);
        const Probe p = probe(target);
        QCOMPARE(p.codecs, QStringList{QStringLiteral("h264")});
        QVERIFY(qAbs(p.videoFrames - 30) <= 1);
        int width = 0, height = 0;
        QVERIFY(scGetMediaInfo(QFile::encodeName(target).constData(), nullptr, &width, &height));
        QCOMPARE(width, 320);
        QCOMPARE(height, 240);
    }

    // Cancel stops a running export without a report and leaves no file; a cancel with
    // nothing running reports nothing either; a second export while one runs is refused.
    void cancelLeavesNothing()
    {
        Reports reports;
        auto player = openPlayer(reports, m_long);
        QVERIFY(player);
        QCOMPARE(player->CancelExport(), 0);
        const QString target = m_dir + QStringLiteral("/cancelled.mp4");
        QCOMPARE(player->Export(QFile::encodeName(target).constData(), OVFT_MP4, &reports), 0);
        QVERIFY(player->Export(QFile::encodeName(target).constData(), OVFT_MP4, &reports) != 0);
        QVERIFY(SrTest::spinUntil([&] { return player->GetExportProgress() > 0.02; }));
        QVERIFY(reports.completions == 0);
        QCOMPARE(player->CancelExport(), 0);
        QTest::qWait(300);
        QCOMPARE(reports.completions.load(), 0);
        QVERIFY(leftovers(QStringLiteral("cancelled")).isEmpty());
        QCOMPARE(player->CancelExport(), 0);
        QCOMPARE(reports.completions.load(), 0);
    }

    // Releasing the player while it exports returns promptly, and nothing reaches the
    // callback afterwards (the callback object is freed at once; AddressSanitizer builds
    // catch a late call).
    void releaseDuringExport()
    {
        auto reports = std::make_unique<Reports>();
        auto player = openPlayer(*reports, m_long);
        QVERIFY(player);
        player->Resume();
        const QString target = m_dir + QStringLiteral("/released.mov");
        QCOMPARE(player->Export(QFile::encodeName(target).constData(), OVFT_MOV, reports.get()), 0);
        QVERIFY(SrTest::spinUntil([&] { return player->GetExportProgress() > 0.01; }));
        player.reset();
        QCOMPARE(reports->completions.load(), 0);
        reports.reset();
        QTest::qWait(300);
        QVERIFY(leftovers(QStringLiteral("released")).isEmpty());
    }

    // A target that cannot be written ends in one failed report and no file.
    void unwritableTargetFails()
    {
        Reports reports;
        auto player = openPlayer(reports, m_clip);
        QVERIFY(player);
        QCOMPARE(player->Export("/proc/no-such-folder/out.mp4", OVFT_MP4, &reports), 0);
        QVERIFY(SrTest::spinUntil([&] { return reports.completions > 0; }));
        QTest::qWait(100);
        QCOMPARE(reports.completions.load(), 1);
        QCOMPARE(reports.lastOk.load(), 0);
    }

    // A file that is missing, corrupt or empty gives status 2, never a hang.
    void unreadableSourceFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("missing") << "missing.mp4" << qint64(-1);
        QTest::newRow("garbage") << "garbage.mp4" << qint64(100000);
        QTest::newRow("empty") << "empty.mov" << qint64(0);
    }
    void unreadableSourceFails()
    {
        QFETCH(QString, name);
        QFETCH(qint64, bytes);
        const QString path = m_dir + QLatin1Char('/') + name;
        if (bytes >= 0)
            QVERIFY(SrTest::writeFile(path, bytes));
        Reports reports;
        auto player = CreateAVPlayer(&reports, QFile::encodeName(path).constData(), nullptr);
        QVERIFY(player);
        QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusFailed));
        QVERIFY(player->SetTrimBegin(0.5) != 0);
    }

    // A truncated file (its tail cut off) still plays what is there and exports the range.
    void truncatedSourceExports()
    {
        const QString path = m_dir + QStringLiteral("/truncated.mp4");
        QVERIFY(QFile::copy(m_long, path) && QFile::resize(path, QFileInfo(m_long).size() / 2));
        Reports reports;
        auto player = CreateAVPlayer(&reports, QFile::encodeName(path).constData(), nullptr);
        QVERIFY(player);
        const int status = waitStatus(reports);
        QVERIFY(status == AVPlayerItemStatusReadyToPlay || status == AVPlayerItemStatusFailed);
        if (status == AVPlayerItemStatusFailed)
            return;
        const QString target = m_dir + QStringLiteral("/from-truncated.mp4");
        QCOMPARE(player->Export(QFile::encodeName(target).constData(), OVFT_MP4, &reports), 0);
        QVERIFY(SrTest::spinUntil([&] { return reports.completions > 0; }, 60000));
        QTest::qWait(100);
        QCOMPARE(reports.completions.load(), 1);
    }
};

SR_TEST(MediaExportTest)
#include "tst_mediaexport.moc"
