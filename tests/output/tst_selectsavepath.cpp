#include "FakeEngine.h"
#include "OvSettings.h"
#include "SmallDisk.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/RecordParameter.h"
#include "output/SelectSavePath.h"
#include "services/Utils.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
struct Outcome {
    int completed = 0;
    int pathFailed = 0;
    int inputMissing = 0;
    QList<QVariant> args;
    QString error;
};

// Runs one save on the calling thread and collects what the worker reported.
Outcome save(SelectSavePath& worker, const QString& in, const QString& dir)
{
    Outcome o;
    QObject::connect(&worker, &SelectSavePath::completed, [&o](const QString& f, int t, const QString& r,
                                                               const QString& d, const QString& s) {
        ++o.completed;
        o.args = {f, t, r, d, s};
    });
    QObject::connect(&worker, &SelectSavePath::sigPathFailed, [&o](const QString& e) {
        ++o.pathFailed;
        o.error = e;
    });
    QObject::connect(&worker, &SelectSavePath::sigInputMissing, [&o](const QString& e) {
        ++o.inputMissing;
        o.error = e;
    });
    worker.saveWork(in, dir);
    worker.disconnect();
    return o;
}

void setKind(bool camera, bool audioOnly, RP_Format videoFmt = RP_FMT_MOV)
{
    RecordParameter* p = RecordParameter::instance();
    p->setOnlyRecordCamera(camera);
    p->setOnlyRecordAudio(audioOnly);
    p->setWindowRecord(false);
    p->setUsedVideoFmt(videoFmt);
}

bool sameVolume(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return stat(QFile::encodeName(a).constData(), &sa) == 0 && stat(QFile::encodeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev;
}
} // namespace

class SelectSavePathTest : public QObject {
    Q_OBJECT
private:
    QString m_clip;

private slots:
    void initTestCase()
    {
        m_clip = SrTest::newFolder("media") + "/clip.mov";
        QVERIFY(SrTest::makeClip(m_clip, 2.0, 320, 240));
    }

    void init()
    {
        setKind(false, false);
        OvSettings::instance()->removeApplicationParam("audio/duration");
    }

    void namesTypesAndTextsFollowTheRecordingKind()
    {
        const QString out = SrTest::newFolder("kinds");
        const QRegularExpression stamp(R"(\d\d-\d\d-\d\d_\d\d-\d\d-\d\d)");

        // Video, saved while the format in use is M4V: suffix m4v whatever the input says.
        QString in = SrTest::root() + "/video.mov";
        QVERIFY(QFile::copy(m_clip, in));
        setKind(false, false, RP_FMT_M4V);
        Outcome o = save(*new SelectSavePath(this), in, out);
        QCOMPARE(o.completed, 1);
        QString name = QFileInfo(o.args[0].toString()).fileName();
        QVERIFY2(QRegularExpression(R"(^Video_\d\d-\d\d-\d\d_\d\d-\d\d-\d\d\.m4v$)").match(name).hasMatch(),
                 qPrintable(name));
        QCOMPARE(o.args[1].toInt(), 1);
        QCOMPARE(o.args[2].toString(), QStringLiteral("320*240"));
        QCOMPARE(o.args[3].toString(), QStringLiteral("00:00:02"));
        QVERIFY(!QFile::exists(in)); // same volume: moved
        QCOMPARE(Utils::getVideoOutputPath(), out);

        // Camera only: the frame the camera gave, not the one it was asked for.
        in = SrTest::root() + "/camera.mov";
        QVERIFY(QFile::copy(m_clip, in));
        setKind(true, false);
        o = save(*new SelectSavePath(this), in, out);
        QCOMPARE(o.completed, 1);
        QVERIFY(QFileInfo(o.args[0].toString()).fileName().startsWith("Camera_"));
        QCOMPARE(o.args[2].toString(), QStringLiteral("320*240"));

        // Audio: no resolution, duration from the setting the preview dialog writes.
        in = SrTest::root() + "/audio.mp3";
        QVERIFY(SrTest::makeTone(in, 1.0));
        setKind(false, true);
        o = save(*new SelectSavePath(this), in, out);
        QCOMPARE(o.completed, 1);
        QVERIFY(QFileInfo(o.args[0].toString()).fileName().startsWith("Audio_"));
        QVERIFY(o.args[0].toString().endsWith(".mp3"));
        QCOMPARE(o.args[1].toInt(), 2);
        QCOMPARE(o.args[2].toString(), QString());
        QCOMPARE(o.args[3].toString(), QString());

        // An empty folder argument saves into the configured output folder.
        in = SrTest::root() + "/audio2.mp3";
        QVERIFY(SrTest::makeTone(in, 1.0));
        OvSettings::instance()->setApplicationParam("audio/duration", "00:00:01");
        o = save(*new SelectSavePath(this), in, QString());
        QCOMPARE(o.completed, 1);
        QCOMPARE(QFileInfo(o.args[0].toString()).absolutePath(), out);
        QCOMPARE(o.args[3].toString(), QStringLiteral("00:00:01"));
    }

    void gifEntryGivesTheFileSize()
    {
        // A dragged area of 641 x 481 is recorded into an even frame of 640 x 480.
        const QString out = SrTest::newFolder("gif");
        RecordParameter::instance()->setVideoRect(QRect(10, 10, 641, 481));
        QString in = SrTest::root() + "/anim.gif";
        QVERIFY(SrTest::makeClip(in, 0.2, 640, 480, "gif", false));
        Outcome o = save(*new SelectSavePath(this), in, out);
        QCOMPARE(o.completed, 1);
        QCOMPARE(o.args[2].toString(), QStringLiteral("640*480"));
        QVERIFY(o.args[0].toString().endsWith(".gif"));
    }

    void freeSpaceIsNeededOnlyForACopyToAnotherVolume()
    {
        // A recording that filled its disk is still moved within that disk: a real disk of
        // 2 MB with less free space left than the recording's size.
        const QString volume = SrTest::newFolder("smalldisk");
        const SrTest::SmallDisk disk(volume, 2);
        if (!disk.isMounted())
            QSKIP("a small filesystem cannot be mounted here");
        QString out = volume + "/out";
        QVERIFY(QDir().mkpath(out));
        const QString in = volume + "/space.bin";
        const qint64 recorded = 1200 * 1024;
        QVERIFY(SrTest::writeFile(in, recorded));
        bool known = false;
        QVERIFY(Utils::freeDiskSize(in, known) < recorded && known);
        Outcome o = save(*new SelectSavePath(this), in, out);
        QCOMPARE(o.completed, 1);
        QCOMPARE(QFileInfo(o.args[0].toString()).size(), recorded);

        FakeSeam seam;
        out = SrTest::newFolder("space");

        // A copy to another volume needs the file's size plus 5120 bytes.
        if (!QFileInfo("/dev/shm").isDir() || sameVolume("/dev/shm", out))
            QSKIP("no second volume to copy across");
        const QString shmIn = QStringLiteral("/dev/shm/sr-space-%1.bin").arg(QCoreApplication::applicationPid());
        const auto removeInput = qScopeGuard([&] { QFile::remove(shmIn); });
        QVERIFY(SrTest::writeFile(shmIn, 10000));
        seam.freeBytes = 10000 + 5120 - 1;
        o = save(*new SelectSavePath(this), shmIn, out);
        QCOMPARE(o.pathFailed, 1);
        QVERIFY(o.error.startsWith("No enough free space"));
        QVERIFY(QFile::exists(shmIn));
        seam.freeBytes = 10000 + 5120;
        o = save(*new SelectSavePath(this), shmIn, out);
        QCOMPARE(o.completed, 1);
    }

    void unwritableFolderIsReportedOnce()
    {
        const QString in = SrTest::root() + "/nowrite.bin";
        QVERIFY(SrTest::writeFile(in, 100));
        const Outcome o = save(*new SelectSavePath(this), in, "/proc/sr-no-such-folder");
        QCOMPARE(o.pathFailed, 1);
        QCOMPARE(o.error, QStringLiteral("\"/proc/sr-no-such-folder\" is not writable, please select another one."));
        QVERIFY(QFile::exists(in));
    }

    void missingInputIsAFailureNotSilence()
    {
        const Outcome o = save(*new SelectSavePath(this), SrTest::root() + "/gone.mov", SrTest::newFolder("x"));
        QCOMPARE(o.inputMissing, 1);
        QCOMPARE(o.completed + o.pathFailed, 0);
        QVERIFY(!o.error.isEmpty());
    }

    void twoSavesInOneSecondBothSurvive()
    {
        const QString out = SrTest::newFolder("twice");
        QStringList saved;
        for (int i = 0; i < 2; ++i) {
            const QString in = SrTest::root() + QStringLiteral("/twice%1.bin").arg(i);
            QVERIFY(SrTest::writeFile(in, 1000 + i));
            const Outcome o = save(*new SelectSavePath(this), in, out);
            QCOMPARE(o.completed, 1);
            saved << o.args[0].toString();
        }
        QVERIFY(saved[0] != saved[1]);
        QCOMPARE(QFileInfo(saved[0]).size(), 1000);
        QCOMPARE(QFileInfo(saved[1]).size(), 1001);
    }

    void moveIntoFolderWithShellCharactersAndNonAsciiNames()
    {
        const QString out = SrTest::newFolder("my \"videos\" $(touch pwned) 'x'; `id` é中");
        const QString in = SrTest::root() + "/ünïcode clip.bin";
        QVERIFY(SrTest::writeFile(in, 4096 * 3 + 5));
        const Outcome o = save(*new SelectSavePath(this), in, out);
        QCOMPARE(o.completed, 1);
        QVERIFY(o.args[0].toString().startsWith(out + "/Video_"));
        QCOMPARE(QFileInfo(o.args[0].toString()).size(), qint64(4096 * 3 + 5));
        QVERIFY(!QFile::exists(in));
        QVERIFY(!QFile::exists(QDir::currentPath() + "/pwned"));
        QVERIFY(!QFile::exists(SrTest::root() + "/pwned"));
    }

    void copyNeverTouchesAnExistingTarget()
    {
        const QString in = SrTest::root() + "/devfull.bin";
        QVERIFY(SrTest::writeFile(in, 10000));
        SelectSavePath worker;
        QVERIFY(!worker.copyFile(in, "/dev/full"));
        QVERIFY(QFileInfo("/dev/full").exists()); // refused, not written and not removed

        const QString existing = SrTest::root() + "/existing.bin";
        QVERIFY(SrTest::writeFile(existing, 7));
        QVERIFY(!worker.copyFile(in, existing));
        QCOMPARE(QFileInfo(existing).size(), qint64(7));
    }

    void linksAnotherUserPutsAtTheNamesAreNeverWrittenThrough()
    {
        // In a shared folder another member has put links at the names a save in the next
        // seconds would take: to a file of the user's, and leading nowhere.
        const QString out = SrTest::newFolder("shared");
        const QString outside = SrTest::newFolder("outside");
        QVERIFY(SrTest::writeFile(outside + "/precious", 77));
        const QString in = SrTest::newFolder("scratch") + "/rec.mp3";
        QVERIFY(SrTest::makeTone(in, 0.5));
        setKind(false, true);
        const QDateTime now = QDateTime::currentDateTime();
        QStringList links;
        for (int second = 0; second < 5; ++second) {
            const QString base = out + "/Audio_" + QLocale::c().toString(now.addSecs(second), "yy-MM-dd_hh-mm-ss");
            links << base + ".mp3" << base + "(1).mp3";
            QVERIFY(QFile::link(outside + "/precious", base + ".mp3") && QFile::link(outside + "/nowhere", links.last()));
        }
        // Moved within the volume, and copied as to another volume.
        const Outcome o = save(*new SelectSavePath(this), in, out);
        QCOMPARE(o.completed, 1);
        const QString saved = o.args[0].toString();
        QVERIFY2(QFileInfo(saved).absolutePath() == out && !links.contains(saved) && Utils::getMediaDuration(saved) > 0,
                 qPrintable(saved));
        SelectSavePath worker;
        for (const QString& link : links)
            QVERIFY(!worker.copyFile(saved, link) && QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(outside + "/precious").size(), qint64(77));
        QCOMPARE(SrTest::filesIn(outside), QStringList{"precious"});
    }

    void shortWriteFailsTheCopyAndRemovesThePartialFile()
    {
        const QString in = SrTest::root() + "/big.bin";
        QVERIFY(SrTest::writeFile(in, 1 << 20));
        const QString out = SrTest::newFolder("short") + "/target.bin";
        // The kernel refuses writes past the file-size limit: a real short write.
        signal(SIGXFSZ, SIG_IGN);
        rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 100000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        SelectSavePath worker;
        const bool ok = worker.copyFile(in, out);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!ok);
        QVERIFY(!QFile::exists(out));
        QVERIFY(QFile::exists(in));
    }

    void crossVolumeCopyShowsProgressAndCanBeCancelled()
    {
        const QString shm = "/dev/shm";
        if (!QFileInfo(shm).isDir() || sameVolume(shm, SrTest::root()))
            QSKIP("no second volume to copy across");
        const QString in = shm + QStringLiteral("/sr-test-%1.bin").arg(QCoreApplication::applicationPid());
        QVERIFY(SrTest::writeFile(in, 96LL << 20));
        const QString out = SrTest::newFolder("cross");

        // A full copy: completed once, progress monotone and ending at 1, input kept.
        {
            QThread thread;
            auto* worker = new SelectSavePath();
            worker->moveToThread(&thread);
            QSignalSpy done(worker, &SelectSavePath::completed);
            thread.start();
            QMetaObject::invokeMethod(worker, "saveWork", Qt::QueuedConnection, Q_ARG(QString, in), Q_ARG(QString, out));
            double last = 0;
            bool monotone = true;
            while (done.isEmpty() && done.wait(1) == false) {
                const double p = worker->getUpdateProgress();
                monotone = monotone && p >= last && p <= 1.0;
                last = p;
            }
            QCOMPARE(done.count(), 1);
            QVERIFY(monotone);
            QCOMPARE(worker->getUpdateProgress(), 1.0);
            QVERIFY(QFile::exists(in));
            QCOMPARE(QFileInfo(done.at(0).at(0).toString()).size(), 96LL << 20);
            thread.quit();
            thread.wait();
            delete worker;
        }
        // A cancelled copy: no report, no partial file.
        {
            const QString cancelOut = SrTest::newFolder("cross-cancel");
            QThread thread;
            auto* worker = new SelectSavePath();
            worker->moveToThread(&thread);
            QSignalSpy done(worker, &SelectSavePath::completed);
            QSignalSpy failed(worker, &SelectSavePath::sigPathFailed);
            thread.start();
            QMetaObject::invokeMethod(worker, "saveWork", Qt::QueuedConnection, Q_ARG(QString, in),
                                      Q_ARG(QString, cancelOut));
            QTRY_VERIFY_WITH_TIMEOUT(worker->getUpdateProgress() > 0.0, 20000);
            worker->cancel();
            thread.quit();
            QVERIFY(thread.wait(20000));
            QCoreApplication::processEvents();
            QCOMPARE(done.count() + failed.count(), 0);
            QCOMPARE(QDir(cancelOut).entryList(QDir::Files).size(), 0);
            delete worker;
        }
        QFile::remove(in);
    }
};
SR_TEST(SelectSavePathTest)

#include "tst_selectsavepath.moc"
