// The hand-over before each recording, the rendered-picture cache and the rendering worker.

#include "TestEnv.h"
#include "TestMain.h"
#include "WaterMarkTestUtil.h"

#include "FileSizeLimit.h"
#include "ModalAnswers.h"
#include "OvResourceMgr.h"
#include "services/Utils.h"
#include "watermark/ApplyWMEditThread.h"
#include "watermark/ProgressDialog.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace WmTest;

namespace {
QString cachePath() { return folder() + QStringLiteral("/CurWaterMarkImg.png"); }

// Selects a picture watermark of the given file; returns its index.
int selectPicture(WaterMarkDataManage* store, const QString& path, int opacity = 100, bool shadow = false)
{
    WaterMarkData record;
    record.m_strWaterMarkName = QStringLiteral("test picture");
    record.m_strWaterMarkPath = path;
    record.m_nOpacity = opacity;
    record.m_shadow.m_bShadow = shadow;
    store->m_lstWaterMarkData.append(record);
    store->m_nCurIndex = store->m_lstWaterMarkData.size() - 1;
    return store->m_nCurIndex;
}

// The most memory the process has held since the last call, in KiB (Linux).
qint64 peakSinceLastCallKiB()
{
    QFile status("/proc/self/status");
    qint64 peak = -1;
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').value(0).toLongLong();
    QFile reset("/proc/self/clear_refs");
    if (!reset.open(QIODevice::WriteOnly) || reset.write("5") != 1)
        return -1;
    return peak;
}
} // namespace

class WaterMarkHandOverTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void oneHandOverInEveryCase()
    {
        WaterMarkDataManage* store = freshStore();
        HandOverRecorder engine;
        // Nothing selected: the engine's watermark is cleared.
        QVERIFY(!store->useWaterMark(QSize(1920, 1080)));
        QCOMPARE(engine.calls.size(), 1);
        QVERIFY(engine.calls[0].isNull);
        QCOMPARE(engine.calls[0].rect, QRect(0, 0, 0, 0));

        // A picture: the rendered picture and its place.
        const QString picture = makePicture(SrTest::newFolder("pics") + "/logo.png", QSize(200, 100), Qt::green);
        selectPicture(store, picture);
        QVERIFY(store->useWaterMark(QSize(1920, 1080)));
        QCOMPARE(engine.calls.size(), 2);
        QCOMPARE(engine.calls[1].path, cachePath());
        QCOMPARE(engine.calls[1].rect, QRect(1661, 921, 200, 100));

        // Above 4K the rectangle is in the capped frame.
        QVERIFY(store->useWaterMark(QSize(5120, 2880)));
        QCOMPARE(engine.calls[2].rect, QRect(3581, 2001, 200, 100));

        // The picture has gone: no watermark rather than an old one.
        QVERIFY(QFile::remove(picture));
        QVERIFY(!store->useWaterMark(QSize(1920, 1080)));
        QCOMPARE(engine.calls.size(), 4);
        QVERIFY(engine.calls[3].isNull);

        // A selection past the end draws the default watermark (the bundled picture).
        store->m_nCurIndex = 40;
        QVERIFY(store->useWaterMark(QSize(1920, 1080)));
        QCOMPARE(engine.calls.size(), 5);
        QCOMPARE(QImage(engine.calls[4].path).size(), QImage(WaterMarkDataManage::resourcePicturePath()).size());

        // A text watermark.
        store->m_nCurIndex = 1;
        QVERIFY(store->useWaterMark(QSize(1280, 720)));
        QCOMPARE(engine.calls.size(), 6);
        QVERIFY(!QImage(engine.calls[5].path).isNull());
    }

    void cacheFollowsTheSelectedRecord()
    {
        WaterMarkDataManage* store = freshStore();
        HandOverRecorder engine;
        // Without effects the cache is the picture file byte for byte, whatever its format.
        const QString jpeg = makePicture(SrTest::newFolder("jpeg") + "/photo.jpg", QSize(64, 32), Qt::blue, "JPG");
        const int index = selectPicture(store, jpeg);
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QCOMPARE(readAll(cachePath()), readAll(jpeg));
        QCOMPARE(engine.calls.last().rect.size(), QSize(64, 32));

        // Opacity changed after the picture was made: rendered again before the next recording.
        store->m_lstWaterMarkData[index].m_nOpacity = 50;
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QImage cached(cachePath());
        QCOMPARE(cached.size(), QSize(64, 32));
        QCOMPARE(qAlpha(cached.pixel(10, 10)), 127);

        // A shadow switched on: rendered again (larger picture, placed by its new size).
        store->m_lstWaterMarkData[index].m_shadow = {true, QColor(Qt::black), 0, 0, 4};
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QVERIFY(QImage(cachePath()).width() > 64);
        QCOMPARE(engine.calls.last().rect.size(), QImage(cachePath()).size());

        // The picture file replaced in place: rendered again.
        store->m_lstWaterMarkData[index].m_shadow.m_bShadow = false;
        store->m_lstWaterMarkData[index].m_nOpacity = 100;
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QTest::qWait(20);
        QVERIFY(!makePicture(jpeg, QSize(40, 40), Qt::yellow, "JPG").isEmpty());
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QCOMPARE(QImage(cachePath()).size(), QSize(40, 40));

        // A text watermark's text changed: rendered again.
        store->m_nCurIndex = 1;
        store->m_lstWaterMarkData[1].m_strWatermarkText = QStringLiteral("short");
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        const int shortWidth = QImage(cachePath()).width();
        store->m_lstWaterMarkData[1].m_strWatermarkText = QStringLiteral("a much longer text");
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QVERIFY(QImage(cachePath()).width() > shortWidth);

        // An unchanged record reuses the cache as it is.
        const QDateTime made = QFileInfo(cachePath()).lastModified();
        QTest::qWait(20);
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QCOMPARE(QFileInfo(cachePath()).lastModified(), made);
    }

    void failedCacheWriteIsReported()
    {
        WaterMarkDataManage* store = freshStore();
        HandOverRecorder engine;
        const QString picture = makePicture(SrTest::newFolder("fail") + "/p.png", QSize(30, 30), Qt::red);
        const int index = selectPicture(store, picture, 60);
        // The cache cannot be replaced (a folder stands in its way).
        QVERIFY(QDir().mkpath(cachePath() + "/blocked"));
        QVERIFY(!store->saveCurWaterMarkEditImg(index));
        bool saved = true;
        WaterMarkData record = store->m_lstWaterMarkData[index];
        store->onApplyImgEditParamThread(&record, true, nullptr, &saved);
        QVERIFY(!saved);
        record.m_nOpacity = 100;
        store->onApplyImgEditParamThread(&record, true, nullptr, &saved);
        QVERIFY(!saved);
        QVERIFY(!store->useWaterMark(QSize(640, 480)));
        QVERIFY(engine.calls.last().isNull);
        QCOMPARE(QDir(folder()).entryList({QStringLiteral(".CurWaterMarkImg*")}, QDir::Files | QDir::Hidden),
                 QStringList());
        QDir(cachePath()).removeRecursively();

        // A stale cache whose re-render fails is not handed over either.
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        store->m_lstWaterMarkData[index].m_nOpacity = 20;
        QVERIFY(QFile::remove(picture));
        QVERIFY(QFile::exists(cachePath()));
        QVERIFY(!store->useWaterMark(QSize(640, 480)));
        QVERIFY(engine.calls.last().isNull);
    }

    void oversizedWatermarkIsRefused()
    {
        WaterMarkDataManage* store = freshStore();
        HandOverRecorder engine;
        // A text at 3000 points: refused before anything is drawn, with the reason for the
        // record click to tell (the hand-over itself asks nothing).
        store->m_nCurIndex = 1;
        store->m_lstWaterMarkData[1].m_font.setPointSize(3000);
        const qint64 before = peakSinceLastCallKiB();
        QVERIFY(before > 0);
        QString why;
        QVERIFY(!store->useWaterMark(QSize(1920, 1080), &why));
        const qint64 peak = peakSinceLastCallKiB();
        QVERIFY2(peak - before < 64 * 1024, qPrintable(QString::number(peak - before))); // the picture: gigabytes
        QVERIFY(engine.calls.last().isNull);
        QVERIFY2(why.contains("too large"), qPrintable(why));

        // A picture whose header promises 20000 x 20000 pixels is not decoded either.
        const QString huge = SrTest::newFolder("huge") + "/huge.ppm";
        QVERIFY(writeAll(huge, "P6\n20000 20000\n255\n" + QByteArray(16, '\0')));
        selectPicture(store, huge);
        why.clear();
        QVERIFY(!store->useWaterMark(QSize(1920, 1080), &why));
        QVERIFY(engine.calls.last().isNull);
        QVERIFY2(why.contains("too large"), qPrintable(why));
    }

    void unusableWatermarkSaysWhy()
    {
        WaterMarkDataManage* store = freshStore();
        HandOverRecorder engine;
        QString why;
        QVERIFY(!store->useWaterMark(QSize(640, 480), &why));
        QCOMPARE(why, QString()); // none chosen: nothing to tell

        // The default picture's rendered copy cannot be written whole (a full disk).
        store->m_nCurIndex = 0;
        const QString picture = store->m_lstWaterMarkData[0].m_strWaterMarkPath;
        {
            const SrTest::FileSizeLimit full(100);
            QVERIFY(full.isSet());
            QVERIFY(!store->useWaterMark(QSize(640, 480), &why));
        }
        QVERIFY2(why.contains(QStringLiteral("cannot be written to \"%1\": ").arg(cachePath())), qPrintable(why));

        // The picture cut short, drawn as it is or through an effect.
        QVERIFY(writeAll(picture, readAll(picture).left(200)));
        for (int opacity : {100, 60}) {
            store->m_lstWaterMarkData[0].m_nOpacity = opacity;
            why.clear();
            QVERIFY(!store->useWaterMark(QSize(640, 480), &why));
            QVERIFY2(why.contains(QStringLiteral("\"%1\" cannot be read").arg(picture)), qPrintable(why));
            QVERIFY(engine.calls.last().isNull);
        }
    }

    void latestRenderWins()
    {
        WaterMarkDataManage* store = freshStore();
        const QString pics = SrTest::newFolder("race");
        // A slow render (large picture, wide blur) is overtaken by a quick one asked for while
        // it runs: the cache ends as the later request made it.
        const int slow = selectPicture(store, makePicture(pics + "/big.png", QSize(2500, 2500), Qt::red), 80, true);
        store->m_lstWaterMarkData[slow].m_shadow.m_Blur = 30;
        const QString small = makePicture(pics + "/small.png", QSize(16, 16), Qt::blue);
        const int quick = selectPicture(store, small);
        bool quickSaved = false;
        QTimer::singleShot(0, store, [&] { quickSaved = store->saveCurWaterMarkEditImg(quick); });
        QVERIFY(store->saveCurWaterMarkEditImg(slow));
        QVERIFY(quickSaved);
        QCOMPARE(readAll(cachePath()), readAll(small));
        // And the cache counts as the quick record's rendering, not the slow one's.
        HandOverRecorder engine;
        store->m_nCurIndex = quick;
        const QDateTime made = QFileInfo(cachePath()).lastModified();
        QVERIFY(store->useWaterMark(QSize(640, 480)));
        QCOMPARE(QFileInfo(cachePath()).lastModified(), made);
        QCOMPARE(engine.calls.last().rect.size(), QSize(16, 16));
    }

    void workerUsesItsOwnSettings()
    {
        const QString picture = makePicture(SrTest::newFolder("own") + "/p.png", QSize(20, 10), Qt::red);
        ShadowParam shadow{true, QColor(Qt::black), 2, 2, 2};
        ApplyWMEditThread worker;
        worker.onSetParam(picture, &shadow, 1.0, false);
        // The caller edits its settings while the worker runs: the worker is not affected.
        shadow.m_bShadow = false;
        worker.start();
        QVERIFY(worker.wait(20000));
        QVERIFY(worker.getImgEdited()->width() >= 24);
        QCOMPARE(worker.getTempImgPath(), QString());

        // A picture that cannot be loaded: a null image and nothing to write.
        ApplyWMEditThread broken;
        broken.onSetParam(picture + ".missing", &shadow, 0.5, true);
        broken.start();
        QVERIFY(broken.wait(20000));
        QVERIFY(broken.getImgEdited()->isNull());
        QCOMPARE(broken.getSavedImgPath(), QString());
    }

    void requestsAndProgressDialog()
    {
        WaterMarkDataManage* store = freshStore();
        const QString dir = SrTest::newFolder("requests");
        const QString picture = makePicture(dir + "/p.png", QSize(40, 20), Qt::red);
        WaterMarkData record;
        record.m_strWaterMarkPath = picture;
        QWidget parent;

        // No effect: no worker, no dialog, the picture copied as it is.
        QVERIFY(store->onApplyImgEditParamThread(&record, true, &parent).isNull());
        QVERIFY(ModalAnswers::asked().isEmpty());
        QCOMPARE(readAll(cachePath()), readAll(picture));
        QCOMPARE(store->onApplyImgEditParamThread(&record, dir + "/out.png"), QString());

        // Opacity 0: a transparent picture of the same size, behind the progress dialog.
        record.m_nOpacity = 0;
        QString message;
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) -> QVariant {
            auto* dialog = qobject_cast<ProgressDialog*>(request.widget);
            message = dialog ? dialog->messageText() : QString();
            if (dialog && dialog->windowModality() == Qt::WindowModal)
                message += QStringLiteral(" [window-modal]");
            if (dialog && !(dialog->windowFlags() & Qt::WindowCloseButtonHint))
                message += QStringLiteral(" [no close]");
            return QVariant();
        });
        const QImage clear = store->onApplyImgEditParamThread(&record, true, &parent);
        QCOMPARE(message, QStringLiteral("Loading pictures, please wait... [window-modal] [no close]"));
        QCOMPARE(clear.size(), QSize(40, 20));
        QCOMPARE(QImage(cachePath()).size(), QSize(40, 20));
        QCOMPARE(qAlpha(QImage(cachePath()).pixel(5, 5)), 0);

        // Written to a path of the caller's choice.
        record.m_nOpacity = 50;
        QCOMPARE(store->onApplyImgEditParamThread(&record, dir + "/out.png"), dir + "/out.png");
        QCOMPARE(qAlpha(QImage(dir + "/out.png").pixel(5, 5)), 127);
        record.m_strWaterMarkPath = dir + "/missing.png";
        QCOMPARE(store->onApplyImgEditParamThread(&record, dir + "/out2.png"), QString());

        // An edited image saved as the cache: only with a parent to show the dialog on.
        QImage edited(12, 12, QImage::Format_ARGB32);
        edited.fill(Qt::magenta);
        QVERIFY(!store->onSaveImgEditedThread(&edited, nullptr));
        QCOMPARE(QImage(cachePath()).size(), QSize(40, 20));
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) -> QVariant {
            message = qobject_cast<ProgressDialog*>(request.widget)->messageText();
            return QVariant();
        });
        QVERIFY(store->onSaveImgEditedThread(&edited, &parent));
        QCOMPARE(message, QStringLiteral("Creating and saving watermark, please wait..."));
        QCOMPARE(QImage(cachePath()).pixel(3, 3), QColor(Qt::magenta).rgba());
    }

    void textPicturesStayPrivate()
    {
        WaterMarkDataManage* store = freshStore();
        WaterMarkData record;
        record.m_bPic = false;
        record.m_strWatermarkText = QStringLiteral("private");
        store->generateTextMarkFile(&record);
        const QFileInfo info(record.m_strWaterMarkPath);
        QVERIFY(info.isFile());
        QVERIFY(!info.absoluteFilePath().startsWith(QDir::tempPath()));
        QVERIFY(info.absoluteFilePath().startsWith(Utils::getAppDataLocation() + "/"));
        QCOMPARE(QFileInfo(info.absolutePath()).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther
                                                                  | QFile::ReadGroup | QFile::WriteGroup),
                 QFile::Permissions());
        // An empty text has no picture.
        record.m_strWatermarkText.clear();
        store->generateTextMarkFile(&record);
        QCOMPARE(record.m_strWaterMarkPath, QString());
    }

    void progressDialogLooksRight()
    {
        OvResourceMgr::instance()->setSkin(QStringLiteral("default"));
        ProgressDialog dialog;
        dialog.setLoadType(1);
        QCOMPARE(dialog.messageText(), QStringLiteral("Loading watermark management, please wait..."));
        QVERIFY(dialog.isAnimated());
        dialog.setLoadType(0);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Only the end of the work closes it: not Escape.
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        dialog.accept();
        QVERIFY(!dialog.isVisible());
    }
};

SR_TEST(WaterMarkHandOverTest)
#include "tst_watermarkhandover.moc"
