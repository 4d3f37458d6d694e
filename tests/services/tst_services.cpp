#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "SmallDisk.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "services/FileSystemUtils.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>

#include <memory>

namespace {
QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList namesIn(const QString& folder) { return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot); }
} // namespace

class UtilsTest : public QObject {
    Q_OBJECT
private slots:
    void foldersLiveUnderThePrivateDataLocation()
    {
        const QString data = Utils::getAppDataLocation();
        QVERIFY(data.startsWith(SrTest::root()));
        QVERIFY(!data.endsWith('/'));
        QVERIFY(QFileInfo(data).isDir());
        QCOMPARE(Utils::getAppLogPath(), data + "/sr.log");
        QCOMPARE(Utils::getRecorderTmpRoot(), data + "/Screen Recorder");
        QVERIFY(QFileInfo(Utils::getRecorderTmpRoot()).isDir());
        QVERIFY(Utils::getOriginalVideoOutputPath().endsWith("/Screen Recorder Team"));
        QCOMPARE(Utils::getOriginalSnapshotPath(), Utils::getOriginalVideoOutputPath() + "/Snapshot");
        QVERIFY(QFileInfo(Utils::getVideoOutputPath()).isDir());
    }

    void sizeUnitsSwitchAboveTheirThresholds()
    {
        QCOMPARE(Utils::sizeText(0), QStringLiteral("0.00KB"));
        QCOMPARE(Utils::sizeText(1048576), QStringLiteral("1024.00KB"));
        QCOMPARE(Utils::sizeText(1048577), QStringLiteral("1.00MB"));
        QCOMPARE(Utils::sizeText(1073741824), QStringLiteral("1024.00MB"));
        QCOMPARE(Utils::sizeText(1073741825), QStringLiteral("1.00GB"));
    }

    void mediaInformationOfRealFiles()
    {
        const QString folder = SrTest::newFolder("media");
        const QString mov = folder + "/a.mov";
        const QString gif = folder + "/b.gif";
        const QString mp3 = folder + "/c.mp3";
        QVERIFY(SrTest::makeClip(mov, 2.0, 160, 120));
        QVERIFY(SrTest::makeClip(gif, 1.5, 80, 60, "gif", false));
        QVERIFY(SrTest::makeTone(mp3, 1.0));
        QVERIFY(qAbs(Utils::getMediaDuration(mov) - 2.0) < 0.1);
        QCOMPARE(Utils::getVideoRect(mov), QRect(0, 0, 160, 120));
        QVERIFY(qAbs(Utils::getMediaDuration(gif) - 1.5) < 0.15);
        QCOMPARE(Utils::getVideoRect(gif), QRect(0, 0, 80, 60));
        QVERIFY(qAbs(Utils::getMediaDuration(mp3) - 1.0) < 0.1);
        QVERIFY(Utils::getVideoRect(mp3).isEmpty());

        const QString corrupt = folder + "/corrupt.mov";
        QVERIFY(SrTest::writeFile(corrupt, 5000));
        QCOMPARE(Utils::getMediaDuration(corrupt), 0.0);
        QCOMPARE(Utils::getMediaDuration(folder + "/missing.mov"), 0.0);
        QVERIFY(Utils::getVideoRect(corrupt).isEmpty());
    }

    void codecListsFollowTheLinkedEncoders()
    {
        const QMap<int, QString> mov = Utils::getSupportCodecs(RP_FMT_MOV);
        QCOMPARE(mov.value(RP_CODEC_H264), QStringLiteral("H.264"));
        QCOMPARE(mov.value(RP_CODEC_HEVC), QStringLiteral("HEVC"));
        QCOMPARE(mov.value(RP_CODEC_PRORES422), QStringLiteral("Apple ProRes 422"));
        QCOMPARE(mov.value(RP_CODEC_PRORES4444), QStringLiteral("Apple ProRes 4444"));
        QVERIFY(!Utils::getSupportCodecs(RP_FMT_MP4).contains(RP_CODEC_PRORES422));
        QCOMPARE(Utils::getSupportCodecs(RP_FMT_GIF).keys(), QList<int>{RP_CODEC_GIF});
        QVERIFY(Utils::suportVidoeType(RP_FMT_M4V));
        QVERIFY(!Utils::suportVidoeType(RP_FMT_MP3));
    }

    void secondsSinceEpochHandleInvalidDates()
    {
        QCOMPARE(Utils::toSecsSinceEpoch(QDateTime()), 4294967295u);
        QCOMPARE(Utils::toSecsSinceEpoch(QDateTime::fromSecsSinceEpoch(1000, Qt::UTC)), 1000u);
    }

    void messageBoxButtonsAndTitle_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("expectedButtons");
        QTest::addColumn<int>("expectedDefault");
        QTest::newRow("ok") << int(MB_OK) << int(QMessageBox::Ok) << 0;
        QTest::newRow("okcancel") << int(MB_OKCANCEL) << int(QMessageBox::Ok | QMessageBox::Cancel)
                                  << int(QMessageBox::Ok);
        QTest::newRow("yesnocancel") << int(MB_YESNOCANCEL)
                                     << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                                     << int(QMessageBox::Yes);
    }

    void messageBoxButtonsAndTitle()
    {
        QFETCH(int, buttons);
        QFETCH(int, expectedButtons);
        QFETCH(int, expectedDefault);
        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::No));
        QCOMPARE(Utils::showMacWindowMessage(MT_WARNING, nullptr, "text", MsgButton(buttons)), int(QMessageBox::No));
        const OvModalRequest asked = ModalAnswers::asked().value(0);
        QCOMPARE(asked.buttons, expectedButtons);
        QCOMPARE(asked.defaultButton, expectedDefault);
        QCOMPARE(asked.title, QStringLiteral("Screen Recorder"));
    }
};
SR_TEST(UtilsTest)

class SystemServicesTest : public QObject {
    Q_OBJECT
private slots:
    void moveNeverReplacesAndTakesShellTextLiterally()
    {
        const QString folder = SrTest::newFolder("mv $(touch pwned) \"q\" 'a'; x");
        const QString from = folder + "/-n source.bin";
        const QString to = folder + "/sub dir/$HOME target.bin";
        QVERIFY(SrTest::writeFile(from, 10));
        QVERIFY(OSServiceUtils::moveFile(from, to));
        QVERIFY(!QFile::exists(from));
        QCOMPARE(QFileInfo(to).size(), qint64(10));
        QVERIFY(!QFile::exists(folder + "/pwned"));

        const QString other = folder + "/other.bin";
        QVERIFY(SrTest::writeFile(other, 20));
        QVERIFY(!OSServiceUtils::moveFile(other, to)); // target exists: refused
        QCOMPARE(QFileInfo(to).size(), qint64(10));
        QVERIFY(QFile::exists(other));
    }

    void moveNeverFollowsALinkAnotherUserPutsAtTheName_data()
    {
        QTest::addColumn<bool>("acrossFilesystems");
        QTest::newRow("same filesystem") << false;
        QTest::newRow("across filesystems") << true;
    }

    // Another user who can write the shared folder makes the recording's name a link to a
    // folder of their own: the recording never goes there, and nothing is left behind.
    void moveNeverFollowsALinkAnotherUserPutsAtTheName()
    {
        QFETCH(bool, acrossFilesystems);
        const QString tag = QTest::currentDataTag();
        const QString folder = SrTest::newFolder("shared " + tag);
        std::unique_ptr<SrTest::SmallDisk> disk;
        if (acrossFilesystems) {
            disk = std::make_unique<SrTest::SmallDisk>(folder, 1);
            if (!disk->isMounted())
                QSKIP("mounting a small filesystem needs root");
        }
        const QString theirs = SrTest::newFolder("theirs " + tag);
        const QString from = SrTest::newFolder("recorded " + tag) + "/rec.bin";
        const QString to = folder + "/Video_1.mov";
        QVERIFY(SrTest::writeFile(from, 100000));
        const QByteArray bytes = contentOf(from);
        const QFile::Permissions mode = QFileInfo(from).permissions();

        // The link appears the moment after a check of the name: the first "mv" on PATH makes it.
        const QString bin = SrTest::newFolder("bin " + tag);
        QFile mv(bin + "/mv");
        QVERIFY(mv.open(QIODevice::WriteOnly));
        mv.write(QStringLiteral("#!/bin/sh\nln -s '%1' '%2'\nexec /bin/mv \"$@\"\n").arg(theirs, to).toUtf8());
        mv.close();
        QVERIFY(mv.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);
        const bool moved = OSServiceUtils::moveFile(from, to);
        qputenv("PATH", path);
        QVERIFY(namesIn(theirs).isEmpty());
        QVERIFY(moved && !QFileInfo(to).isSymLink() && contentOf(to) == bytes && !QFile::exists(from));
        QCOMPARE(QFileInfo(to).permissions(), mode);

        // The link is there when the move starts: refused, the recording stays where it was.
        QVERIFY(QFile::rename(to, from));
        QVERIFY(QFile::link(theirs, to));
        QVERIFY(!OSServiceUtils::moveFile(from, to));
        QCOMPARE(contentOf(from), bytes);
        QVERIFY(namesIn(theirs).isEmpty());
        QCOMPARE(namesIn(folder), QStringList{"Video_1.mov"});
        if (!acrossFilesystems)
            return;
        // A copy the disk cannot hold: nothing is left behind, and the recording stays whole.
        QVERIFY(SrTest::writeFile(from, 2 * 1024 * 1024));
        QVERIFY(!OSServiceUtils::moveFile(from, folder + "/big.mov"));
        QCOMPARE(QFileInfo(from).size(), qint64(2 * 1024 * 1024));
        QCOMPARE(namesIn(folder), QStringList{"Video_1.mov"});
    }

    void openingAFileStartsTheDesktopOpenerDetached()
    {
        FakeSeam seam;
        QVERIFY(OSServiceUtils::executeFile("/tmp/a b;$(x).mov"));
        QCOMPARE(seam.started, (QList<QStringList>{{"xdg-open", "/tmp/a b;$(x).mov"}}));
    }

    void freeNamesCountUpWhenTaken()
    {
        const QString folder = SrTest::newFolder("names");
        QCOMPARE(FileSystemUtils::freeFilePath(folder, "Video_1", "mov"), folder + "/Video_1.mov");
        QVERIFY(SrTest::writeFile(folder + "/Video_1.mov", 1));
        QVERIFY(SrTest::writeFile(folder + "/Video_1(1).mov", 1));
        QCOMPARE(FileSystemUtils::freeFilePath(folder, "Video_1", "mov"), folder + "/Video_1(2).mov");
        QVERIFY(FileSystemUtils::exists(folder + "/Video_1.mov"));
    }

    void sameVolumeTestCreatesTheFolderAndComparesDevices()
    {
        const QString folder = SrTest::root() + "/new/volume/folder";
        QVERIFY(Utils::isSameStorage(SrTest::root(), folder));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!Utils::isSameStorage("/proc/self", SrTest::root()));
        bool ok = false;
        QVERIFY(Utils::freeDiskSize(folder + "/file.mov", ok) > 0);
        QVERIFY(ok);
    }
};
SR_TEST(SystemServicesTest)

#include "tst_services.moc"
