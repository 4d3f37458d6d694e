// Screenshots and the drawing canvas, on a screen picture the test hands in (the offscreen
// platform grabs nothing).

#include "OvResourceMgr.h"
#include "TestEnv.h"
#include "TestMain.h"

#include "ScImageCapture.h"
#include "capture/Canvas.h"
#include "capture/ScreenSource.h"
#include "capture/SelectionGeometry.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTextEdit>

using capture::SelectionGeometry::fillTip;

namespace {
const QRgb kRed = 0xffff0000;
const QRgb kWhite = 0xffffffff;

// A picture no two neighbouring pixels of which are alike, so that a blur shows.
QImage checkerboard(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 ? 0xff204060 : 0xffe0c0a0);
    return image;
}

class FixedSource : public capture::ScreenSource {
public:
    QImage picture;
    QImage grab(QScreen*) override { return picture; }
};

struct Reports : CImageCaptureCallback, CScreenCanvasEvent {
    QStringList calls;
    QList<int> numbers;
    void OnClose() override { calls << "close"; }
    int OnScreenSelCompleted(CRect r) override
    {
        calls << QString("completed %1 %2 %3 %4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
        return 1;
    }
    void OnBeginResize() override { calls << "begin"; }
    void OnSizeChanged(CRect r) override
    {
        calls << QString("changed %1 %2 %3 %4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
    }
    void OnEndResize() override { calls << "end"; }
    void OnScreenCanvasEvent(signed char canUndo, signed char canRedo) override
    {
        calls << QString("history %1 %2").arg(int(canUndo)).arg(int(canRedo));
    }
    void OnNumberChanged(int number) override { numbers << number; }
};

// A left-button drag (QTest moves the cursor, which reaches no widget offscreen).
void drag(QWidget* widget, const QPoint& from, const QPoint& to)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    const QPoint middle = (from + to) / 2;
    QMouseEvent move(QEvent::MouseMove, middle, widget->mapToGlobal(middle), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

// How many columns of `image` span its pixels unlike `background`.
int inkWidth(const QImage& image, QRgb background)
{
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
    return right - left + 1;
}

// Pixels of `after` that differ from `before`, as points.
QList<QPoint> changedPixels(const QImage& before, const QImage& after)
{
    QList<QPoint> changed;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                changed << QPoint(x, y);
    return changed;
}
} // namespace

class ImageCaptureTest : public QObject {
    Q_OBJECT

    FixedSource m_source;
    QSize m_screen;

private slots:
    void initTestCase()
    {
        m_screen = QGuiApplication::primaryScreen()->size();
        m_source.picture = checkerboard(m_screen);
        capture::ScreenSource::install(&m_source);
    }
    void cleanupTestCase() { capture::ScreenSource::install(nullptr); }

    void rectangleRules()
    {
        using namespace capture::SelectionGeometry;
        // Right and bottom are the last column and row going in, exclusive coming out.
        QCOMPARE(fromInclusive(CRect(100, 50, 1919, 1079), QPoint(100, 50)), QRect(0, 0, 1820, 1030));
        const CRect out = toCRect(QRect(10, 20, 100, 200));
        QCOMPARE(QRectF(out.left, out.top, out.width(), out.height()), QRectF(10, 20, 100, 200));
        // A drag up and left spans the same area as down and right; the display cuts it.
        const QRect bounds(0, 0, 200, 100);
        QCOMPARE(spanned(QPoint(50, 60), QPoint(10, 20), bounds), QRect(10, 20, 40, 40));
        QCOMPARE(spanned(QPoint(150, 50), QPoint(300, 150), bounds), QRect(150, 50, 50, 50));
        // Moving keeps the size inside the display; a handle dragged past the other edge turns over.
        QCOMPARE(dragged(QRect(10, 10, 50, 50), capture::SelectionHandle::Move, QPoint(500, -500), bounds),
                 QRect(150, 0, 50, 50));
        QCOMPARE(dragged(QRect(10, 10, 50, 50), capture::SelectionHandle::Left, QPoint(70, 0), bounds),
                 QRect(60, 10, 20, 50));

        // The whole display selected as DeviceManager gives it is the whole display; after the
        // first selection a new area is reported as a resize.
        Reports reports;
        CBasePtr<CImageCaptureObject> shot = CreateImageCapture(&reports);
        QVERIFY(shot);
        shot->SelectArea(CRect(0, 0, m_screen.width() - 1, m_screen.height() - 1));
        shot->SelectArea(CRect(10, 20, 109, 219));
        const QString whole = QString("completed 0 0 %1 %2").arg(m_screen.width()).arg(m_screen.height());
        QCOMPARE(reports.calls, QStringList({whole, "begin", "changed 10 20 110 220", "end"}));
    }

    void savesEachFormatAtTheSelectionsSize()
    {
        Reports reports;
        CBasePtr<CImageCaptureObject> shot = CreateImageCapture(&reports);
        const QString folder = SrTest::newFolder("formats");
        QCOMPARE(shot->SaveImage(ICF_PNG, QFile::encodeName(folder + "/early.png")), -1); // nothing selected
        shot->SelectArea(CRect(30, 40, 149, 129));
        const QImage expected = m_source.picture.copy(30, 40, 120, 90);

        const struct {
            int code;
            const char* suffix;
            QByteArray format;
        } formats[] = {{ICF_PNG, "png", "png"},  {ICF_JPEG, "jpg", "jpeg"}, {ICF_BMP, "bmp", "bmp"},
                       {ICF_GIF, "gif", "gif"},  {ICF_TIFF, "tiff", "tiff"}, {ICF_JPEG2, "jpg2", "jpeg"}};
        for (const auto& format : formats) {
            const QString path = folder + "/shot." + format.suffix;
            QCOMPARE(shot->SaveImage(format.code, QFile::encodeName(path)), 0);
            QImageReader reader(path);
            QCOMPARE(reader.format(), format.format);
            const QImage image = reader.read();
            QCOMPARE(image.size(), expected.size());
            if (format.code == ICF_PNG || format.code == ICF_BMP)
                QCOMPARE(image.convertToFormat(QImage::Format_RGB32), expected);
        }
        // A file already there is kept as it is; an unknown format or a folder that is not
        // there leaves nothing.
        QVERIFY(SrTest::writeFile(folder + "/taken.png", 10));
        QCOMPARE(shot->SaveImage(ICF_PNG, QFile::encodeName(folder + "/taken.png")), -1);
        QCOMPARE(QFile(folder + "/taken.png").size(), 10);
        QCOMPARE(shot->SaveImage(9, QFile::encodeName(folder + "/odd.png")), -1);
        QCOMPARE(shot->SaveImage(ICF_PNG, QFile::encodeName(folder + "/none/shot.png")), -1);
        QVERIFY(!QFile::exists(folder + "/odd.png"));

        QCOMPARE(shot->CopyToClipboard(), 0);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), expected);
    }

    void rectangleUndoneAndRedone()
    {
        Reports reports;
        QWidget display;
        const QImage picture = checkerboard(QSize(100, 80));
        capture::Canvas canvas(&display, picture.size(), 1);
        canvas.setPicture(picture);
        canvas.setEvent(&reports);
        canvas.setViewport(QRect(10, 10, 80, 60));
        QCOMPARE(canvas.Start(CS_Rectangle, kRed, kWhite, "", 3), 0);
        // Widget (10, 10) is canvas (20, 20): the outline, 3 pixels wide, lies inside [20, 60) x [20, 50).
        drag(&canvas, QPoint(10, 10), QPoint(50, 40));
        const QRect all(0, 0, 100, 80);
        const QImage drawn = canvas.compose(all);
        const QRect outer(20, 20, 40, 30);
        const QRect inner = outer.adjusted(3, 3, -3, -3);
        const QList<QPoint> changed = changedPixels(picture, drawn.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(changed.size(), outer.width() * outer.height() - inner.width() * inner.height());
        for (const QPoint& point : changed) {
            QVERIFY(outer.contains(point) && !inner.contains(point));
            QCOMPARE(drawn.pixel(point), kRed);
        }
        canvas.Undo();
        QCOMPARE(canvas.compose(all).convertToFormat(QImage::Format_RGB32), picture);
        canvas.Redo();
        QCOMPARE(canvas.compose(all), drawn);
        QCOMPARE(reports.calls, QStringList({"history 1 0", "history 0 1", "history 1 0"}));
    }

    void boxToolsChangeOnlyTheirBox()
    {
        QWidget display;
        const QImage picture = checkerboard(QSize(100, 80));
        capture::Canvas canvas(&display, picture.size(), 1);
        canvas.setPicture(picture);
        canvas.setBlurLevel(5);
        QCOMPARE(canvas.Start(CS_BlurBox, kRed, kWhite, "", 1), 0);
        drag(&canvas, QPoint(10, 10), QPoint(40, 30));
        const QRect box(10, 10, 30, 20);
        const QRect all(QPoint(0, 0), picture.size());
        const QList<QPoint> blurred = changedPixels(picture, canvas.compose(all).convertToFormat(QImage::Format_RGB32));
        QVERIFY(blurred.size() > box.width() * box.height() / 2);
        for (const QPoint& point : blurred)
            QVERIFY2(box.contains(point), qPrintable(QString("%1,%2").arg(point.x()).arg(point.y())));

        // The eraser box takes annotations away, never the picture under them.
        canvas.Clear();
        canvas.Start(CS_Rectangle, kRed, kWhite, "", 4);
        drag(&canvas, QPoint(50, 20), QPoint(90, 60));
        canvas.Start(CS_EraserBox, kRed, kWhite, "", 1);
        drag(&canvas, QPoint(1, 1), QPoint(100, 80));
        QCOMPARE(canvas.compose(all).convertToFormat(QImage::Format_RGB32), picture);
        // Without a picture there is nothing to blur.
        capture::Canvas bare(&display, picture.size(), 1);
        QCOMPARE(bare.Start(CS_Blur, kRed, kWhite, "", 8), -1);
    }

    void calloutsCountUpFromTheStartNumber()
    {
        Reports reports;
        QWidget display;
        capture::Canvas canvas(&display, QSize(100, 80), 1);
        canvas.setEvent(&reports);
        canvas.SetStartNumber(4);
        canvas.Start(CS_Callout, kWhite, kRed, "", 12);
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(60, 40));
        QCOMPARE(reports.numbers, QList<int>({5, 6}));
        // A marker is its colour 1 inside, not colour 2.
        QCOMPARE(canvas.compose(QRect(0, 0, 100, 80)).pixel(20, 12), kWhite);
    }

    void typedTextKeepsItsSizeWhenCommitted()
    {
        // Under the application's skin, whose rule gives every widget a font size of its own,
        // the text shows as wide while it is typed as once it is drawn.
        QVERIFY(OvResourceMgr::instance()->setSkin(QStringLiteral("default")));
        const auto plain = qScopeGuard([] { qApp->setStyleSheet(QString()); });
        QWidget display;
        capture::Canvas canvas(&display, QSize(400, 100), 1);
        canvas.setViewport(QRect(0, 0, 400, 100));
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        canvas.Start(CS_Text, kRed, kWhite, "DejaVu Sans", 24);
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(10, 10));
        auto* editor = canvas.findChild<QTextEdit*>();
        QVERIFY(editor);
        const QString text = QStringLiteral("Typed words");
        editor->insertPlainText(text);
        QImage typing(editor->viewport()->size(), QImage::Format_RGB32);
        typing.fill(kWhite);
        editor->viewport()->render(&typing);
        canvas.finishText();
        const QImage drawn = canvas.compose(QRect(0, 0, 400, 100)).convertToFormat(QImage::Format_ARGB32);
        const int typed = inkWidth(typing, kWhite);
        const int committed = inkWidth(drawn, 0);
        QVERIFY(committed > 0);
        QVERIFY2(qAbs(typed - committed) <= 1, qPrintable(QString("%1 px wide typed, %2 px drawn").arg(typed).arg(committed)));
    }

    void sizeTipReadsOnlyItsFourNumbers()
    {
        QCOMPARE(fillTip("%d x %d\nLeft:%d Top:%d", 120, 90, -5, 7), QString("120 x 90\nLeft:-5 Top:7"));
        // A translation with other sequences or too many numbers shows them as text.
        QCOMPARE(fillTip("%s %n %d %d %% %d %d %d", 1, 2, 3, 4), QString("%s %n 1 2 %% 3 4 %d"));
        QCOMPARE(fillTip("Size", 1, 2, 3, 4), QString("Size"));
    }
};

SR_TEST(ImageCaptureTest)
#include "tst_imagecapture.moc"
