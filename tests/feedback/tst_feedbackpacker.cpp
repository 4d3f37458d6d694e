// Packing log files and attachments with the real 7z.

#include "TestTools.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "feedback/FeedbackPacker.h"
#include "services/Utils.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

class FeedbackPackerTest : public QObject {
    Q_OBJECT
private slots:
    void packsEveryFileUnderItsOwnName()
    {
        const QString a = SrTest::newFolder("pk-a");
        const QString b = SrTest::newFolder("pk-b");
        const QString out = SrTest::newFolder("pk-out");
        QVERIFY(SrTest::writeFile(a + "/same.txt", 10));
        QVERIFY(SrTest::writeFile(b + "/same.txt", 20));
        QVERIFY(SrTest::writeFile(a + "/x*y", 5));
        QVERIFY(SrTest::writeFile(a + "/xAAy", 6));
        QVERIFY(SrTest::writeFile(a + "/-dash", 7));

        const QStringList files
            = FeedbackPacker::existingUnique({a + "/same.txt", b + "/same.txt", a + "/same.txt", a + "/x*y",
                                             a + "/gone.txt", a + "/-dash"});
        QCOMPARE(files, QStringList({a + "/same.txt", b + "/same.txt", a + "/x*y", a + "/-dash"}));

        const QString archive = out + "/fb.cnf.log.7z";
        QString error;
        QVERIFY2(FeedbackPacker::pack(FeedbackPacker::find7z(QString()), archive, files, 60000, &error),
                 qPrintable(error));
        QStringList expected{"same.txt", "same(1).txt", "x*y", "-dash"};
        expected.sort();
        QCOMPARE(archiveEntries(archive), expected); // xAAy is not packed, and no folder names the user
        const QString unpacked = SrTest::newFolder("pk-unpacked");
        QVERIFY(SrTest::run(FeedbackPacker::find7z(QString()), {"x", "-o" + unpacked, archive}, 60000));
        QCOMPARE(QFileInfo(unpacked + "/same.txt").size(), 10);
        QCOMPARE(QFileInfo(unpacked + "/same(1).txt").size(), 20); // the one from the other folder

        // A stale archive at the same path is replaced, not extended.
        QVERIFY(FeedbackPacker::pack(FeedbackPacker::find7z(QString()), archive, {a + "/xAAy"}, 60000));
        QCOMPARE(archiveEntries(archive), QStringList({"xAAy"}));
    }

    void failureLeavesNoArchive()
    {
        const QString a = SrTest::newFolder("pkf-a");
        QVERIFY(SrTest::writeFile(a + "/f.txt", 10));
        const QString sevenZip = FeedbackPacker::find7z(QString());

        // 7z cannot write there.
        QString error;
        QVERIFY(!FeedbackPacker::pack(sevenZip, "/proc/fb.cnf.log.7z", {a + "/f.txt"}, 60000, &error));
        QVERIFY(!error.isEmpty());

        // No 7z at all.
        QVERIFY(!FeedbackPacker::pack(QString(), a + "/none.7z", {a + "/f.txt"}));
        QVERIFY(!QFileInfo::exists(a + "/none.7z"));

        // A 7z that breaks off after writing part of the archive, and one that hangs: the
        // partial file is removed. (Real 7z cannot be made to do either on demand.)
        const QString broken = SrTest::newFolder("pkf-broken");
        QString program = writeScript(broken, "7z", "printf partial > \"$2\"\nexit 2\n");
        QVERIFY(!FeedbackPacker::pack(program, a + "/broken.7z", {a + "/f.txt"}));
        QVERIFY(!QFileInfo::exists(a + "/broken.7z"));

        const QString slow = SrTest::newFolder("pkf-slow");
        program = writeScript(slow, "7z", "printf partial > \"$2\"\nexec sleep 30\n");
        QVERIFY(!FeedbackPacker::pack(program, a + "/slow.7z", {a + "/f.txt"}, 500, &error));
        QVERIFY(!QFileInfo::exists(a + "/slow.7z"));
        QVERIFY(error.contains("in time"));
    }

    void findsThe7zProgram()
    {
        const QString folder = SrTest::newFolder("pk-find");
        QCOMPARE(FeedbackPacker::find7z(folder), QStandardPaths::findExecutable("7z"));
        const QString own = writeScript(folder, "7z", "exit 0\n");
        QCOMPARE(FeedbackPacker::find7z(folder), own);
    }

    void logFilesAreOurOwn()
    {
        const QString data = Utils::getAppDataLocation();
        QFile::remove(data + "/taskdaemon.log");
        QFile::remove(data + "/screencast.log");
        QCOMPARE(FeedbackPacker::logFiles(), QStringList({Utils::getAppLogPath()}));
        QVERIFY(SrTest::writeFile(data + "/taskdaemon.log", 3));
        QVERIFY(SrTest::writeFile(data + "/screencast.log", 3));
        QCOMPARE(FeedbackPacker::logFiles(),
                 QStringList({Utils::getAppLogPath(), data + "/screencast.log", data + "/taskdaemon.log"}));
        QFile::remove(data + "/taskdaemon.log");
        QFile::remove(data + "/screencast.log");
    }
};

SR_TEST(FeedbackPackerTest)
#include "tst_feedbackpacker.moc"
