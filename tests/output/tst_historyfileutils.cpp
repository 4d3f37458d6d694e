#include "FileSizeLimit.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "TestMain.h"
#include "core/HistoryFileUtils.h"
#include "core/SignalsTransfer.h"

#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString kKey = QStringLiteral("Path/SavefilesHistroy");

QVariantList stored() { return OvSettings::instance()->applicationParam(kKey).toList(); }

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
        QCOMPARE(HistoryFileUtils::savefileHistroy().size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains("recording history"));
        QVERIFY(ModalAnswers::messages().first().contains(settings->fileName()));
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
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
