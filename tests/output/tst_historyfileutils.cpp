#include "FileSizeLimit.h"
#include "HistorySupport.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "SmallDisk.h"
#include "TestMain.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "core/SignalsTransfer.h"

#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString kKey = QStringLiteral("Path/SavefilesHistroy");

QVariantList stored() { return OvSettings::instance()->applicationParam(kKey).toList(); }

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entry(const QString& path, const QString& type = "1", int length = 6)
{
    QStringList fields{path.section('/', -1), path, type, "1920*1080", "00:00:03", "1.00MB", "extra"};
    return fields.mid(0, length);
}
} // namespace

class HistoryFileUtilsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { OvSettings::instance()->removeApplicationParam(kKey); }

    void emptyStoreThenAddsSurviveARestart()
    {
        QVERIFY(HistoryFileUtils::savefileHistroy().isEmpty());
        HistoryFileUtils::addSavefileHistroy("/v/é, \"x\".mov", 1, "10*10", "00:00:01", "@1KB");
        OvSettings::instance()->reload();
        QList<HistoryFileUtils::HistoryFile> list = HistoryFileUtils::savefileHistroy();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].fileName, QStringLiteral("é, \"x\".mov"));
        QCOMPARE(list[0].size, QStringLiteral("@1KB"));
        HistoryFileUtils::addSavefileHistroy("/v/b.mp3", 2, "", "", "2KB");
        OvSettings::instance()->reload();
        list = HistoryFileUtils::savefileHistroy();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].path, QStringLiteral("/v/b.mp3")); // newest first
        QCOMPARE(list[0].type, 2);
    }

    // On a full disk a new entry cannot be stored: the file stays as it was, and the user is
    // told once that settings and history cannot be saved, and where.
    void entriesThatCannotBeStoredAreToldOnce()
    {
        OvSettings* settings = OvSettings::instance();
        settings->reload(); // a new run: nothing told yet
        ModalAnswers::clear();
        HistoryFileUtils::addSavefileHistroy("/v/kept.mov", 1, "10*10", "00:00:01", "1KB");
        const auto content = [settings] {
            QFile file(settings->fileName());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = content();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        {
            SrTest::FileSizeLimit limit(before.size());
            HistoryFileUtils::addSavefileHistroy("/v/lost-1.mov", 1, "10*10", "00:00:01", "1KB");
            HistoryFileUtils::addSavefileHistroy("/v/lost-2.mov", 1, "10*10", "00:00:01", "1KB");
        }
        QCOMPARE(content(), before);
        QCOMPARE(HistoryFileUtils::savefileHistroy().size(), 3); // shown, to be written later
        QCoreApplication::processEvents();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains("recording history"));
        QVERIFY(ModalAnswers::messages().first().contains(settings->fileName()));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    // A real full disk holds the settings file: the entry of a save that cannot be written is
    // told. Once there is room again the next change writes it along, and a restart shows what
    // was shown before it.
    void changesMadeOnAFullDiskAreWrittenOnceThereIsRoom()
    {
        OvSettings* settings = OvSettings::instance();
        const QString folder = QFileInfo(settings->fileName()).absolutePath();
        {
            SrTest::SmallDisk disk(folder, 1);
            if (!disk.isMounted())
                QSKIP("mounting a small filesystem needs root");
            settings->reload();
            RecordParameter::instance()->setMouseRecorder(true);
            QVERIFY(!SrTest::writeFile(folder + "/filler", 2 * 1024 * 1024));
            ModalAnswers::clear();
            ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
            SignalsTransfer::instance()->addHistoryFile("/v/on-full-disk.mov", 1, "10*10", "00:00:01", "1KB");
            QTRY_COMPARE(ModalAnswers::messages().size(), 1);
            QVERIFY(ModalAnswers::messages().first().contains("on-full-disk.mov"));

            QVERIFY(QFile::remove(folder + "/filler"));
            RecordParameter::instance()->setMouseRecorder(false);
            SignalsTransfer::instance()->addHistoryFile("/v/after.mov", 1, "10*10", "00:00:01", "1KB");
            const QStringList shown = HistoryTest::storedPaths();
            QCOMPARE(shown, (QStringList{"/v/after.mov", "/v/on-full-disk.mov"}));
            settings->reload();
            QCOMPARE(HistoryTest::storedPaths(), shown);
            QVERIFY(!RecordParameter::instance()->isMouseEnable());
            QCOMPARE(ModalAnswers::messages().size(), 1);
        }
        settings->reload();
    }

    // A history value cut short is kept aside byte for byte and told; the next save does not
    // write over the copy.
    void damagedValueIsKeptAsideAndTold()
    {
        HistoryFileUtils::addSavefileHistroy("/v/one.mov", 1, "10*10", "00:00:01", "1KB");
        HistoryFileUtils::addSavefileHistroy("/v/two.mov", 1, "10*10", "00:00:02", "2KB");
        OvSettings* settings = OvSettings::instance();
        QByteArray text = contentOf(settings->fileName());
        const int from = text.indexOf("SavefilesHistroy=");
        const QByteArray line = text.mid(from, text.indexOf('\n', from) - from);
        const QByteArray damaged = line.left(line.size() / 2) + line.mid(line.size() / 2 + 5);
        text.replace(line, damaged);
        QFile file(settings->fileName());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size());
        file.close();

        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        settings->reload();
        QVERIFY(HistoryTest::storedPaths().isEmpty());
        QTRY_COMPARE(ModalAnswers::messages().size(), 1);
        const QString message = ModalAnswers::messages().first();
        const QString keptAs = message.section('"', 3, 3);
        QVERIFY2(contentOf(keptAs).contains("\n" + damaged + "\n"), qPrintable(message));
        HistoryFileUtils::addSavefileHistroy("/v/three.mov", 1, "10*10", "00:00:03", "3KB");
        settings->reload();
        QCOMPARE(HistoryTest::storedPaths(), QStringList{"/v/three.mov"});
        QVERIFY(contentOf(keptAs).contains("\n" + damaged + "\n"));
        QCOMPARE(ModalAnswers::messages().size(), 1);
    }

    void entriesOfOtherLengthsStayInPlaceThroughEveryChange()
    {
        const QVariantList initial{entry("/a/three.mov", "1", 3), entry("/a/five.mov", "1", 5),
                                   entry("/a/six.mov", "abc", 6), entry("/a/seven.mov", "1", 7)};
        OvSettings::instance()->setApplicationParam(kKey, initial);

        QList<HistoryFileUtils::HistoryFile> list = HistoryFileUtils::savefileHistroy();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].path, QStringLiteral("/a/three.mov"));
        QVERIFY(list[0].resolution.isEmpty() && list[0].duration.isEmpty() && list[0].size.isEmpty());
        QCOMPARE(list[1].type, 0); // a type that is not a number reads as image

        HistoryFileUtils::addSavefileHistroy("/a/new.mov", 1, "1*1", "", "");
        // A three-string entry is renamed as it is, and removed by its new path.
        HistoryFileUtils::updateSavefileHistory("/a/three.mov", "/a/four.mov");
        QCOMPARE(stored()[1].toStringList(), (QStringList{"four.mov", "/a/four.mov", "1"}));
        HistoryFileUtils::removeSavefileFromHistory("/a/four.mov");
        HistoryFileUtils::updateSavefileHistory("/a/six.mov", "/b/renamed.mov");
        HistoryFileUtils::removeSavefileFromHistory("/a/five.mov"); // not a valid entry: untouched

        const QVariantList after = stored();
        QCOMPARE(after.size(), 4);
        QCOMPARE(after[0].toStringList()[1], QStringLiteral("/a/new.mov"));
        QCOMPARE(after[1].toStringList(), entry("/a/five.mov", "1", 5));
        QStringList renamed = entry("/a/six.mov", "abc", 6);
        renamed[0] = "renamed.mov";
        renamed[1] = "/b/renamed.mov";
        QCOMPARE(after[2].toStringList(), renamed);
        QCOMPARE(after[3].toStringList(), entry("/a/seven.mov", "1", 7));
    }

    void matchingIsExactAndHitsOnlyTheNewest()
    {
        HistoryFileUtils::addSavefileHistroy("/a/same.mov", 1, "", "", "old");
        HistoryFileUtils::addSavefileHistroy("/a/same.mov", 1, "", "", "new");
        HistoryFileUtils::removeSavefileFromHistory("/A/SAME.MOV");
        QCOMPARE(HistoryFileUtils::savefileHistroy().size(), 2);

        HistoryFileUtils::updateSavefileHistory("/a/same.mov", "/a/other.mov");
        QList<HistoryFileUtils::HistoryFile> list = HistoryFileUtils::savefileHistroy();
        QCOMPARE(list[0].path, QStringLiteral("/a/other.mov"));
        QCOMPARE(list[0].size, QStringLiteral("new"));
        QCOMPARE(list[1].path, QStringLiteral("/a/same.mov"));

        HistoryFileUtils::removeSavefileFromHistory("/a/same.mov");
        list = HistoryFileUtils::savefileHistroy();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].path, QStringLiteral("/a/other.mov"));
    }

    void hubStoresTheEntryAndAnnouncesIt()
    {
        QSignalSpy spy(SignalsTransfer::instance(), &SignalsTransfer::onAddHistoryFile);
        SignalsTransfer::instance()->addHistoryFile("/v/Video_1.mov", 1, "640*480", "00:00:02", "1.00MB");
        QCOMPARE(spy.count(), 1);
        const auto file = spy.at(0).at(0).value<HistoryFileUtils::HistoryFile>();
        QCOMPARE(file.fileName, QStringLiteral("Video_1.mov"));
        QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).resolution, QStringLiteral("640*480"));
    }
};
SR_TEST(HistoryFileUtilsTest)

#include "tst_historyfileutils.moc"
