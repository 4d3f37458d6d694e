// The watermark list and its file: round trip, tolerant reading, start-up, a damaged file
// kept aside, safe saving (also through a link and on a full disk), and which pictures the
// store may delete.

#include "FileSizeLimit.h"
#include "ModalAnswers.h"
#include "TestMain.h"
#include "TestEnv.h"
#include "WaterMarkTestUtil.h"

#include "Log.h"
#include "OvSettings.h"
#include "services/Utils.h"
#include "watermark/DlgWatermarkManage.h"
#include "watermark/WMCustomListWidget.h"
#include "watermark/WaterMarkJson.h"
#include "watermark/WhaterMarkMenuListItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWidget>
#include <csignal>
#include <sys/resource.h>

using namespace WmTest;

namespace {
QString listFile() { return WaterMarkDataManage::instance()->getWaterMarkDataSavePath(true); }

// A record read from one JSON object holding `pairs` on top of a saved default record.
WaterMarkData readWith(const QJsonObject& overrides, const QStringList& removed = {})
{
    QJsonObject o = WaterMarkJson::toJson(WaterMarkData());
    for (const QString& key : removed)
        o.remove(key);
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        o.insert(it.key(), it.value());
    return WaterMarkJson::fromJson(o);
}

QString logText()
{
    QFile file(QString::fromUtf8(GetLogfile()));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class WaterMarkStoreTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(SetLogfile(QFile::encodeName(SrTest::root() + QStringLiteral("/wm.log")).constData()));
    }
    void cleanupTestCase() { SetLogfile(nullptr); }

    void everyFieldRoundTrips()
    {
        WaterMarkDataManage* store = freshStore();
        WaterMarkData text;
        text.m_strWaterMarkName = QStringLiteral("Ünïcode \"name\"");
        text.m_bPic = false;
        text.m_lstMargin = {5, -1, 17, 0};
        text.m_ItemSize = QSize(321, 45);
        text.m_strWatermarkText = QStringLiteral("line one\nline two");
        text.m_font.setFamily(QStringLiteral("DejaVu Serif"));
        text.m_font.setPointSize(37);
        text.m_font.setWeight(QFont::Bold);
        text.m_font.setItalic(true);
        text.m_font.setUnderline(true);
        text.m_font.setStrikeOut(true);
        text.m_clrTextWatermark = QColor(0x12, 0xab, 0xef);
        text.m_strWaterMarkPath = QStringLiteral("/some/where/textmarkfile.png");
        text.m_nOpacity = 42;
        text.m_shadow = {true, QColor(0xfe, 0x01, 0x80), -3, 7, 9};
        WaterMarkData picture;
        picture.m_strWaterMarkName = QStringLiteral("logo");
        picture.m_strWaterMarkPath = QStringLiteral("/pictures/logo.jpg");
        picture.m_nOpacity = 0;
        picture.m_clrTextWatermark = QColor(Qt::white);

        store->m_lstWaterMarkData = {text, picture, WaterMarkData()};
        QVERIFY(store->saveWaterMarkDataFile());
        store->reload();
        QCOMPARE(store->m_lstWaterMarkData.size(), 3);
        const WaterMarkData& back = store->m_lstWaterMarkData.at(0);
        QVERIFY(back == text);
        // Equality ignores a text record's picture path: check it on its own.
        QCOMPARE(back.m_strWaterMarkPath, text.m_strWaterMarkPath);
        QCOMPARE(back.m_font.weight(), int(QFont::Bold));
        QVERIFY(store->m_lstWaterMarkData.at(1) == picture);
        // Defaults: size (-1,-1) stays invalid; a never-set colour comes back opaque black.
        const WaterMarkData& def = store->m_lstWaterMarkData.at(2);
        QVERIFY(!def.m_ItemSize.isValid());
        QCOMPARE(def.m_clrTextWatermark, QColor(Qt::black));
        QCOMPARE(def.m_lstMargin, QList<int>({-1, 60, 60, -1}));

        // The written text: indented UTF-8, no byte-order mark, margins and size as ";" lists.
        const QByteArray bytes = readAll(listFile());
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.contains("\n    "));
        const QJsonArray array = QJsonDocument::fromJson(bytes).object().value("WaterMark").toArray();
        QCOMPARE(array.at(0).toObject().value("m_lstMargin").toString(), QStringLiteral("5;-1;17;0;"));
        QCOMPARE(array.at(2).toObject().value("m_ItemSize").toString(), QStringLiteral("-1;-1;"));
        QCOMPARE(array.at(2).toObject().value("m_clrTextWatermark").toString(), QStringLiteral("#000000"));
        QCOMPARE(array.at(0).toObject().value("m_clrShadow").toString(), QStringLiteral("#fe0180"));
    }

    void toleratesOddValues()
    {
        // Fewer than four margins keep the defaults; unparsable parts read as 0.
        QCOMPARE(readWith({{"m_lstMargin", "10;20;"}}).m_lstMargin, QList<int>({-1, 60, 60, -1}));
        QCOMPARE(readWith({{"m_lstMargin", "a;7;;x;9;"}}).m_lstMargin, QList<int>({0, 7, 0, 0}));
        // Size: further parts ignored, too few keep the invalid default.
        QCOMPARE(readWith({{"m_ItemSize", "1;2;3;"}}).m_ItemSize, QSize(1, 2));
        QCOMPARE(readWith({{"m_ItemSize", "8"}}).m_ItemSize, QSize(-1, -1));
        // Bold is "weight 58 or more"; read back as 75.
        WaterMarkData r;
        r.m_font.setWeight(57);
        QCOMPARE(WaterMarkJson::toJson(r).value("font_Bold").toBool(), false);
        r.m_font.setWeight(63);
        QCOMPARE(WaterMarkJson::toJson(r).value("font_Bold").toBool(), true);
        QCOMPARE(WaterMarkJson::fromJson(WaterMarkJson::toJson(r)).m_font.weight(), 75);
        // A point size of 0 keeps 24; absent numbers read as 0; a bad colour is invalid.
        QCOMPARE(readWith({{"font_PointSize", 0}}).m_font.pointSize(), 24);
        const WaterMarkData absent = readWith({}, {"m_nOpacity", "m_Blur", "m_OffsetX"});
        QCOMPARE(absent.m_nOpacity, 0);
        QCOMPARE(absent.m_shadow.m_Blur, 0);
        QCOMPARE(absent.m_shadow.m_OffsetX, 0);
        QVERIFY(!readWith({{"m_clrShadow", "no colour"}}).m_shadow.m_clrShadow.isValid());
        // Wrong types read as the "absent" values.
        QCOMPARE(readWith({{"m_strWaterMarkName", 12}, {"m_bPic", "yes"}}).m_strWaterMarkName, QString());

        // A document: a non-object element reads as an empty object; zero padding after the
        // text (a file cut short and padded) does not spoil it.
        QList<WaterMarkData> records;
        QByteArray doc = R"({"WaterMark": [ 5, {"m_strWaterMarkName": "b", "m_nOpacity": 70} ]})";
        doc.append(QByteArray(64, '\0'));
        QVERIFY(WaterMarkJson::fromDocument(doc, records));
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).m_strWaterMarkName, QString());
        QCOMPARE(records.at(0).m_bPic, false);
        QCOMPARE(records.at(1).m_nOpacity, 70);
    }

    void startsFromFileDefaultsOrNothing()
    {
        WaterMarkDataManage* store = freshStore();
        // No file: the two built-ins, picture first; the picture is the bundled artwork copied in.
        QCOMPARE(store->m_lstWaterMarkData.size(), 2);
        QCOMPARE(store->m_lstWaterMarkData.at(0).m_bPic, true);
        QCOMPARE(store->m_lstWaterMarkData.at(1).m_bPic, false);
        QCOMPARE(store->getWatermarkName(1), QStringLiteral("Default Text Watermark"));
        QCOMPARE(store->getWatermarkName(2), QStringLiteral("No Watermark"));
        const QString copy = folder() + QStringLiteral("/WaterMark.png");
        QCOMPARE(store->m_lstWaterMarkData.at(0).m_strWaterMarkPath, copy);
        QVERIFY(!QImage(copy).isNull());
        QCOMPARE(readAll(copy), readAll(WaterMarkDataManage::resourcePicturePath()));

        // A root without the "WaterMark" array: an empty list; an index past the end is reset
        // and written back.
        QVERIFY(writeAll(listFile(), R"({"Other": 1})"));
        OvSettings::instance()->setApplicationParam("WatermarkIndex", 5);
        store->reload();
        QVERIFY(store->m_lstWaterMarkData.isEmpty());
        QCOMPARE(store->m_nCurIndex, -1);
        QCOMPARE(OvSettings::instance()->applicationParam("WatermarkIndex", 99).toInt(), -1);

        // An index inside the list survives.
        store->m_lstWaterMarkData = {WaterMarkData(), WaterMarkData(), WaterMarkData()};
        QVERIFY(store->saveWaterMarkDataFile());
        OvSettings::instance()->setApplicationParam("WatermarkIndex", 2);
        store->reload();
        QCOMPARE(store->m_nCurIndex, 2);
        // One below -1 is reset too, rather than drawing the default picture with the selection "off".
        OvSettings::instance()->setApplicationParam("WatermarkIndex", -5);
        store->reload();
        QCOMPARE(store->m_nCurIndex, -1);
        QCOMPARE(OvSettings::instance()->applicationParam("WatermarkIndex", 99).toInt(), -1);
    }

    // A list that cannot be read is the user's work: it is kept byte for byte beside itself,
    // the user is told where, and neither a recording nor the next save touches the copy.
    void damagedFileIsKeptAsideAndTold()
    {
        WaterMarkDataManage* store = freshStore();
        ModalAnswers::clear();
        store->m_lstWaterMarkData = {WaterMarkData(), WaterMarkData(), WaterMarkData()};
        store->m_lstWaterMarkData[2].m_strWaterMarkName = QStringLiteral("mine");
        QVERIFY(store->saveWaterMarkDataFile());
        OvSettings::instance()->setApplicationParam("WatermarkIndex", 2);
        const QByteArray damaged = readAll(listFile()).left(150);
        QVERIFY(writeAll(listFile(), damaged));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        store->reload();
        // Built-ins for this session, a log line, nothing selected; the stored selection
        // stays with the list it belongs to.
        QCOMPARE(store->m_lstWaterMarkData.size(), 2);
        QVERIFY(logText().contains(QStringLiteral("parseJson file[%1] error!").arg(listFile())));
        QCOMPARE(store->m_nCurIndex, -1);
        QCOMPARE(OvSettings::instance()->applicationParam("WatermarkIndex").toInt(), 2);
        const QStringList kept = QDir(folder()).entryList({QStringLiteral("WaterMark.json.damaged-*")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        const QString copy = folder() + QLatin1Char('/') + kept.first();
        QCOMPARE(readAll(copy), damaged);
        QCoreApplication::processEvents();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains(copy));

        store->m_nCurIndex = 0;
        {
            HandOverRecorder engine; // a recording does not write the list
            QVERIFY(store->useWaterMark(QSize(640, 480)));
        }
        QVERIFY(!QFileInfo::exists(listFile()));
        // The next deliberate save writes the list shown; the copy stays as it was.
        QVERIFY(store->saveWaterMarkDataFile());
        store->reload();
        QCOMPARE(store->m_lstWaterMarkData.size(), 2);
        QCOMPARE(readAll(copy), damaged);
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    // A list file that is a link stays one: the file it leads to is written.
    void linkedFileIsWrittenThroughTheLink()
    {
        WaterMarkDataManage* store = freshStore();
        const QString real = SrTest::newFolder(QStringLiteral("wm-dotfiles")) + QStringLiteral("/WaterMark.json");
        QVERIFY(writeAll(real, "{}"));
        QVERIFY(QFile::link(real, listFile()));
        store->m_lstWaterMarkData.first().m_strWaterMarkName = QStringLiteral("through the link");
        QVERIFY(store->saveWaterMarkDataFile());
        QVERIFY(QFileInfo(listFile()).isSymLink());
        QVERIFY(readAll(real).contains("through the link"));
        store->reload();
        QCOMPARE(store->getWatermarkName(0), QStringLiteral("through the link"));
    }

    // Saving from the manager on a full disk: the user is told and the list file is the one
    // before.
    void managerSaveOnAFullDiskIsToldAndKeepsTheFile()
    {
        WaterMarkDataManage* store = freshStore();
        for (const QString& name : {QStringLiteral("A"), QStringLiteral("B")}) { // the built-ins cannot be edited
            WaterMarkData record;
            record.m_strWaterMarkName = name;
            record.m_strWaterMarkPath = makePicture(folder() + "/" + name + ".png", QSize(40, 20), Qt::blue);
            store->m_lstWaterMarkData.append(record);
        }
        store->m_nCurIndex = 3;
        QVERIFY(store->saveWaterMarkDataFile());
        const QByteArray old = readAll(listFile());
        ModalAnswers::clear();
        DlgWatermarkManage dialog;
        dialog.onInitUI();
        dialog.show();
        auto* rows = dialog.findChild<WMCustomListWidget*>(QStringLiteral("listWidget"));
        for (int i = 0; i < rows->count(); ++i) {
            auto* row = qobject_cast<WhaterMarkMenuListItem*>(rows->itemWidget(rows->item(i)));
            if (row->cusData().toInt() == 2)
                rows->onPopViewCheckboxListItemClicked(row);
        }
        dialog.findChild<QSpinBox*>(QStringLiteral("spTransparency"))->setValue(40);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        {
            SrTest::FileSizeLimit limit(old.size() / 2);
            dialog.findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        }
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains(QStringLiteral("could not be saved")));
        QCOMPARE(readAll(listFile()), old);
        QCOMPARE(store->m_lstWaterMarkData.at(2).m_nOpacity, 100);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::No));
        dialog.close();
        ModalAnswers::clear();
    }

    void failedSaveKeepsOldFile()
    {
        WaterMarkDataManage* store = freshStore();
        QVERIFY(store->saveWaterMarkDataFile());
        const QByteArray old = readAll(listFile());
        QVERIFY(old.size() > 200);

        // An empty list writes nothing (the file keeps its records).
        store->m_lstWaterMarkData.clear();
        QVERIFY(store->saveWaterMarkDataFile());
        QCOMPARE(readAll(listFile()), old);

        // The disk fills up in the middle of the write: the old file stays whole.
        for (int i = 0; i < 20; ++i)
            store->m_lstWaterMarkData.append(WaterMarkData());
        struct rlimit saved;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = rlim_t(old.size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool ok = store->saveWaterMarkDataFile();
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, previous);
        QVERIFY(!ok);
        QCOMPARE(readAll(listFile()), old);
        QVERIFY(logText().contains(QStringLiteral("saveWaterMarkDataFile file[%1] error").arg(listFile())));
        QCOMPARE(QDir(folder()).entryList({QStringLiteral(".WaterMark.*")}, QDir::Files | QDir::Hidden),
                 QStringList());

        // The target cannot be replaced at all (a folder stands in its way): reported, nothing lost.
        QVERIFY(QFile::remove(listFile()));
        QVERIFY(QDir().mkpath(listFile() + QStringLiteral("/inside")));
        QVERIFY(!store->saveWaterMarkDataFile());
        QVERIFY(QFileInfo(listFile() + QStringLiteral("/inside")).isDir());
        QDir(listFile()).removeRecursively();
    }

    void unwritableDataFolderWritesNothing()
    {
        WaterMarkDataManage* store = freshStore();
        const QByteArray home = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/proc/sr-no-such-folder");
        const QString path = store->getWaterMarkDataSavePath(true);
        const bool saved = store->saveWaterMarkDataFile();
        const QString picture = store->getWaterMarkPngSavePath(false, "WaterMark", "png");
        qputenv("XDG_DATA_HOME", home);
        QCOMPARE(path, QString());
        QVERIFY(!saved);
        QCOMPARE(picture, QString());
        QVERIFY(logText().contains(QStringLiteral("getWaterMarkDataSavePath file not find")));
    }

    void picturePathsAndDeletion()
    {
        WaterMarkDataManage* store = freshStore();
        const QString dir = folder() + QLatin1Char('/');
        QVERIFY(writeAll(dir + "WaterMark.jpg", "x"));
        QVERIFY(writeAll(dir + "WaterMark1.jpg", "x"));
        QCOMPARE(store->getWaterMarkPngSavePath(false, "WaterMark", "jpg"), dir + "WaterMark2.jpg");
        QCOMPARE(store->getWaterMarkPngSavePath(true, "WaterMark", "jpg"), dir + "WaterMark.jpg");

        // An imported picture is deleted.
        QVERIFY(store->removeWaterMarkPngPath(dir + "WaterMark1.jpg"));
        QVERIFY(!QFile::exists(dir + "WaterMark1.jpg"));

        // Never a picture of the user's elsewhere, not even through a link or "..".
        const QString outside = SrTest::newFolder("user-pictures") + "/holiday.png";
        QVERIFY(!makePicture(outside, QSize(4, 4), Qt::red).isEmpty());
        QVERIFY(!store->removeWaterMarkPngPath(outside));
        QVERIFY(!store->removeWaterMarkPngPath(dir + "../../user-pictures/holiday.png"));
        QVERIFY(QFile::link(outside, dir + "WaterMark7.png"));
        QVERIFY(!store->removeWaterMarkPngPath(dir + "WaterMark7.png"));
        QVERIFY(QFile::exists(outside));

        // Nor the store's own files, nor the bundled picture.
        QVERIFY(store->saveWaterMarkDataFile());
        QVERIFY(store->saveCurWaterMarkEditImg(0));
        for (const QString& kept : {dir + "WaterMark.json", dir + "CurWaterMarkImg.png", dir + "WaterMark.png",
                                    WaterMarkDataManage::resourcePicturePath()}) {
            QVERIFY2(!store->removeWaterMarkPngPath(kept), qPrintable(kept));
            QVERIFY2(QFile::exists(kept), qPrintable(kept));
        }
    }

    void popupGoesWhereItFits()
    {
        WaterMarkDataManage* store = WaterMarkDataManage::instance();
        const QRect screen = Utils::screenGeometry();
        QVERIFY(screen.width() > 300 && screen.height() > 300);
        QWidget anchor;
        anchor.setWindowFlags(Qt::FramelessWindowHint);
        anchor.setGeometry(screen);
        anchor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&anchor));
        const QPoint origin = anchor.mapToGlobal(QPoint(0, 0));
        QCOMPARE(origin, screen.topLeft());
        QWidget popup;
        popup.resize(200, 100);
        const int w = screen.width();
        const int h = screen.height();
        // Rectangles 50 x 20: their inclusive corners are what the pop-up is put against.
        struct Case { QRect rect; QPoint topLeft; } cases[] = {
            {QRect(10, 10, 50, 20), QPoint(10, 29)},                      // below, to the right
            {QRect(w - 60, 10, 50, 20), QPoint(w - 210, 29)},             // below, to the left
            {QRect(10, h - 30, 50, 20), QPoint(10, h - 129)},             // above, to the right
            {QRect(w - 60, h - 30, 50, 20), QPoint(w - 210, h - 129)},    // above, to the left
        };
        for (const Case& c : cases) {
            store->setPosShowDlg(&popup, &anchor, c.rect);
            QCOMPARE(popup.geometry(), QRect(origin + c.topLeft, QSize(200, 100)));
        }
    }
};

SR_TEST(WaterMarkStoreTest)
#include "tst_watermarkstore.moc"
