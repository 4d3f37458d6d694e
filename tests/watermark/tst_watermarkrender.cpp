// Rendering of watermark pictures and their placement in the recorded frame.

#include "TestMain.h"
#include "WaterMarkTestUtil.h"

#include "watermark/WaterMarkRenderer.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QTest>

namespace {
WaterMarkData withMargins(int top, int right, int bottom, int left, QSize itemSize = QSize(-1, -1))
{
    WaterMarkData record;
    record.m_lstMargin = {top, right, bottom, left};
    record.m_ItemSize = itemSize;
    return record;
}

QImage opaque(const QSize& size, const QColor& color = Qt::red)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// Bounding box of the pixels whose alpha is above 0.
QRect inkRect(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

// True when the shadowed picture holds everything the shadow paints: the same shadow on a
// canvas with a wide spare border paints nothing more.
bool holdsWholeShadow(const QImage& shadowed, const QImage& source, const ShadowParam& shadow)
{
    auto* effect = new QGraphicsDropShadowEffect();
    effect->setColor(shadow.m_clrShadow);
    effect->setOffset(shadow.m_OffsetX, shadow.m_OffsetY);
    effect->setBlurRadius(shadow.m_Blur);
    const QImage spacious = WaterMarkRenderer::applyEffectToImage(source, effect, 40, 40);
    return inkRect(spacious).size() == inkRect(shadowed).size();
}
} // namespace

class WaterMarkRenderTest : public QObject {
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QList<int>>("margins");
        QTest::addColumn<QSize>("itemSize");
        QTest::addColumn<QRect>("expected");
        const QSize hd(1920, 1080);
        const QSize img(200, 100);
        const QSize none(-1, -1);
        // One row per anchoring: right and bottom margins leave m - 1 free pixels after the item.
        QTest::newRow("bottom-right") << hd << img << QList<int>{-1, 60, 60, -1} << none << QRect(1661, 921, 200, 100);
        QTest::newRow("top-left") << hd << img << QList<int>{10, -1, -1, 20} << none << QRect(20, 10, 200, 100);
        QTest::newRow("top-right") << hd << img << QList<int>{30, 40, -1, -1} << none << QRect(1681, 30, 200, 100);
        QTest::newRow("bottom-left") << hd << img << QList<int>{-1, -1, 50, 70} << none << QRect(70, 931, 200, 100);
        QTest::newRow("centred") << hd << img << QList<int>{-1, -1, -1, -1} << none << QRect(859, 489, 200, 100);
        QTest::newRow("top, centred across") << hd << img << QList<int>{10, -1, -1, -1} << none << QRect(859, 10, 200, 100);
        // Bottom wins over top, left over right.
        QTest::newRow("all four") << hd << img << QList<int>{10, 10, 60, 20} << none << QRect(20, 921, 200, 100);
        // The item size replaces the picture's own size.
        QTest::newRow("item size") << hd << img << QList<int>{-1, 60, 60, -1} << QSize(400, 50) << QRect(1461, 971, 400, 50);
        // Too big: shrunk into 80 % of the frame keeping its shape.
        QTest::newRow("too wide") << hd << img << QList<int>{-1, -1, -1, -1} << QSize(3000, 500) << QRect(191, 411, 1536, 256);
        // Margins that do not fit push the item against the opposite edge.
        QTest::newRow("top too far") << hd << QSize(200, 100) << QList<int>{1000, -1, -1, -1} << none << QRect(859, 980, 200, 100);
        QTest::newRow("right too far") << hd << img << QList<int>{0, 1800, -1, -1} << none << QRect(1, 0, 200, 100);
    }
    void placement()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, image);
        QFETCH(QList<int>, margins);
        QFETCH(QSize, itemSize);
        QFETCH(QRect, expected);
        WaterMarkData record = withMargins(margins[0], margins[1], margins[2], margins[3], itemSize);
        QCOMPARE(WaterMarkDataManage::instance()->onCalculationRect(QRect(QPoint(0, 0), frame), image, &record),
                 expected);
    }

    void frameIsCappedAt4K()
    {
        QCOMPARE(WaterMarkRenderer::recordingFrame(QSize(5120, 2880)), QRect(0, 0, 3840, 2160));
        QCOMPARE(WaterMarkRenderer::recordingFrame(QSize(3840, 2160)), QRect(0, 0, 3840, 2160));
        QCOMPARE(WaterMarkRenderer::recordingFrame(QSize(3841, 2160)), QRect(0, 0, 3840, 2159));
        QCOMPARE(WaterMarkRenderer::recordingFrame(QSize(8000, 1100)), QRect(0, 0, 3840, 528));
        QCOMPARE(WaterMarkRenderer::recordingFrame(QSize(3000, 3000)), QRect(0, 0, 2160, 2160));
        QCOMPARE(WaterMarkRenderer::recordingFrame(QSize(1920, 1080)), QRect(0, 0, 1920, 1080));
    }

    void opacity()
    {
        const QImage half = WaterMarkRenderer::onApplyOpacityImg(opaque(QSize(8, 8)), 0.5);
        QCOMPARE(half.size(), QSize(8, 8));
        QCOMPARE(qAlpha(half.pixel(3, 3)), 127);
        QCOMPARE(QColor(half.pixel(3, 3)).red(), 255);
        const QImage none = WaterMarkRenderer::onApplyOpacityImg(opaque(QSize(8, 8)), 0.0);
        QCOMPARE(none.size(), QSize(8, 8));
        QVERIFY(inkRect(none).isNull());
    }

    void shadowIsNeverClipped()
    {
        const QImage source = opaque(QSize(20, 20));
        // Offset (0, 0): the shadow shows all around the picture.
        ShadowParam around{true, QColor(0, 0, 255), 0, 0, 4};
        const QImage glow = WaterMarkRenderer::applyShadow(source, around);
        QVERIFY(glow.width() > 20 && glow.height() > 20);
        const QRect ink = inkRect(glow);
        QVERIFY(ink.left() < (glow.width() - 20) / 2 && ink.top() < (glow.height() - 20) / 2);
        QVERIFY(ink.right() > (glow.width() + 20) / 2 && ink.bottom() > (glow.height() + 20) / 2);
        const QRgb beside = glow.pixel(ink.left(), glow.height() / 2);
        QVERIFY(qAlpha(beside) > 0 && qBlue(beside) > qRed(beside));
        QVERIFY(holdsWholeShadow(glow, source, around));
        // The picture itself is untouched and in the middle.
        QCOMPARE(QColor(glow.pixel(glow.width() / 2, glow.height() / 2)), QColor(Qt::red));

        // Offset (2, 2): the canvas grows at least 4 x 4, the whole blur tail fits, the
        // shadow falls below and to the right.
        ShadowParam dropped{true, QColor(0, 0, 0), 2, 2, 2};
        const QImage drop = WaterMarkRenderer::applyShadow(source, dropped);
        QVERIFY(drop.width() >= 24 && drop.height() >= 24);
        QVERIFY(holdsWholeShadow(drop, source, dropped));
        const QRect red = [&] {
            QRect box;
            for (int y = 0; y < drop.height(); ++y)
                for (int x = 0; x < drop.width(); ++x)
                    if (drop.pixel(x, y) == qRgba(255, 0, 0, 255))
                        box |= QRect(x, y, 1, 1);
            return box;
        }();
        QCOMPARE(red.size(), QSize(20, 20));
        QVERIFY(qAlpha(drop.pixel(red.right() + 2, red.bottom() + 2)) > 0);

        QVERIFY(WaterMarkRenderer::applyShadow(QImage(), dropped).isNull());
    }

    void textPicture()
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(24);
        const QImage wide = WaterMarkRenderer::renderText(QStringLiteral("World wide"), font, QColor());
        const QImage two = WaterMarkRenderer::renderText(QStringLiteral("Hi\nWorld wide"), font, QColor());
        const QImage three = WaterMarkRenderer::renderText(QStringLiteral("World wide\nHi\nok"), font, QColor());
        QVERIFY(!wide.isNull());
        // As wide as the widest line, one line height per line.
        QCOMPARE(two.width(), wide.width());
        QCOMPARE(three.width(), wide.width());
        QVERIFY(two.height() >= 2 * wide.height());
        QCOMPARE(three.height() * 2, two.height() * 3);
        // Drawn at the left; an invalid colour draws opaque black; the rest is transparent.
        const QRect ink = inkRect(two);
        QVERIFY(ink.left() <= 3);
        QVERIFY(ink.right() >= two.width() - 4);
        bool black = false;
        for (int y = 0; y < two.height() && !black; ++y)
            for (int x = 0; x < two.width() && !black; ++x)
                black = two.pixel(x, y) == qRgba(0, 0, 0, 255);
        QVERIFY(black);
        QCOMPARE(qAlpha(two.pixel(two.width() - 1, 0)), 0);

        QVERIFY(WaterMarkRenderer::renderText(QString(), font, Qt::red).isNull());
    }

    // Every letter is in the picture whole: its ink is as wide as the same text drawn on a
    // roomy canvas, the first and last letters included, upright and slanted.
    void textPictureHoldsEveryLetter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("italic");
        QTest::newRow("ends in a wide letter") << QStringLiteral("Text watermark W") << false;
        QTest::newRow("slanted") << QStringLiteral("jolly f") << true;
        QTest::newRow("lines") << QStringLiteral("Jy\nlast line ends in W") << false;
    }
    void textPictureHoldsEveryLetter()
    {
        QFETCH(QString, text);
        QFETCH(bool, italic);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        font.setItalic(italic);
        const QImage picture = WaterMarkRenderer::renderText(text, font, Qt::black);
        QVERIFY(!picture.isNull());

        const int spare = 100;
        QImage roomy(picture.width() + 2 * spare, picture.height() + 2 * spare, QImage::Format_ARGB32);
        roomy.fill(Qt::transparent);
        {
            QPainter painter(&roomy);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(roomy.rect().adjusted(spare, spare, -spare, -spare), Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        const QRect whole = inkRect(roomy);
        const QRect shown = inkRect(picture);
        QCOMPARE(shown.width(), whole.width());
        QCOMPARE(shown.height(), whole.height());
        QVERIFY(shown.right() < picture.width());
    }
};

SR_TEST(WaterMarkRenderTest)
#include "tst_watermarkrender.moc"
