// Drawing into captured frames: blackouts, mouse effects and the watermark, on plain
// pixel buffers; and their conversion into the encoder's 4:2:0 planes.

#include "TestMain.h"

#include "RecorderSupport.h"
#include "recorder/AreaDrag.h"
#include "recorder/KeepOut.h"
#include "recorder/FrameConverter.h"
#include "recorder/FrameDecorator.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

using namespace recorder;

namespace {
struct Canvas {
    int width;
    int height;
    std::vector<uint8_t> pixels;
    Canvas(int w, int h, uint8_t grey) : width(w), height(h), pixels(size_t(w) * h * 4, grey) {}
    BgraFrame frame() { return BgraFrame{pixels.data(), width * 4, width, height}; }
    // 0xRRGGBB of a pixel.
    uint32_t at(int x, int y) const
    {
        const uint8_t* p = pixels.data() + (size_t(y) * width + x) * 4;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

const uint32_t kRed = 0xffff0000;
const uint32_t kBlue = 0xff0000ff;
} // namespace

class RecorderFramesTest : public QObject {
    Q_OBJECT
private slots:
    void blackOutsideKeepsOnlyTheWindows()
    {
        Canvas canvas(100, 60, 200);
        BgraFrame frame = canvas.frame();
        // Two overlapping windows and one partly outside the frame.
        FrameDecorator::blackOutside(frame, {XRectI{10, 10, 30, 20}, XRectI{30, 20, 30, 20}, XRectI{-20, 50, 40, 30}});
        QCOMPARE(canvas.at(15, 15), 0xc8c8c8u);
        QCOMPARE(canvas.at(55, 35), 0xc8c8c8u);
        QCOMPARE(canvas.at(5, 55), 0xc8c8c8u);
        QCOMPARE(canvas.at(50, 12), 0u);
        QCOMPARE(canvas.at(20, 45), 0u);
        QCOMPARE(canvas.at(99, 59), 0u);
    }

    void blackOutClipsToTheFrame()
    {
        Canvas canvas(50, 50, 255);
        BgraFrame frame = canvas.frame();
        FrameDecorator::blackOut(frame, {XRectI{40, 40, 100, 100}, XRectI{-10, -10, 15, 15}, XRectI{10, 10, 0, 5}});
        QCOMPARE(canvas.at(45, 45), 0u);
        QCOMPARE(canvas.at(2, 2), 0u);
        QCOMPARE(canvas.at(20, 20), 0xffffffu);
        QCOMPARE(canvas.at(10, 12), 0xffffffu);
    }

    void areaMovesWithThePointerOnlyWhileCtrlIsHeld()
    {
        AreaDrag drag(100, 100, 200, 150, 1000, 800);
        QVERIFY(!drag.step(500, 500, false));
        QVERIFY(!drag.step(600, 550, true)); // Ctrl just went down: nothing travelled yet
        QVERIFY(drag.step(650, 520, true));
        QCOMPARE(QPoint(drag.x(), drag.y()), QPoint(150, 70));
        QVERIFY(!drag.step(900, 700, false)); // let go: the area stays
        QVERIFY(!drag.step(100, 100, true));
        QCOMPARE(QPoint(drag.x(), drag.y()), QPoint(150, 70));
        // Kept whole on the screen, and moving back from the edge at once.
        QVERIFY(drag.step(-900, 2000, true));
        QCOMPARE(QPoint(drag.x(), drag.y()), QPoint(0, 650));
        QVERIFY(drag.step(-890, 1990, true));
        QCOMPARE(QPoint(drag.x(), drag.y()), QPoint(10, 640));
    }

    void movingAreaKeepsOutOfTheFrameUntilItsPlaceIsRepainted()
    {
        const int64_t grace = 100;
        KeepOut keepOut(grace);
        const XRectI top{100, 96, 208, 3};
        const XRectI area{104, 100, 200, 100};
        const XRectI moved{110, 95, 200, 100};
        keepOut.see({top, XRectI{}}, 0);
        QVERIFY2(keepOut.clear(area, 1000), "the frame lies outside the area it frames");
        QVERIFY2(!keepOut.clear(moved, 1000), "shown, however long ago it came");
        keepOut.see({XRectI{}, XRectI{}}, 1000); // hidden
        QVERIFY(!keepOut.clear(moved, 1000 + grace - 1));
        QVERIFY(keepOut.clear(moved, 1000 + grace));
        // Moved while shown: both places are kept out, the one it left for the grace time.
        const XRectI below{100, 300, 208, 3};
        keepOut.see({top, XRectI{}}, 2000);
        keepOut.see({below, XRectI{}}, 2050);
        QVERIFY(!keepOut.clear(moved, 2050 + grace - 1));
        QVERIFY(!keepOut.clear(XRectI{100, 250, 200, 100}, 2050 + 10 * grace));
        keepOut.see({below, XRectI{}}, 2050 + grace);
        QVERIFY(keepOut.clear(moved, 2050 + grace));
    }

    void haloIsAlwaysShownWhenIndicated()
    {
        MouseLook look;
        look.indicate = true;
        look.normalColor = kRed;
        MouseEffects effects(look);
        Canvas canvas(100, 100, 0);
        BgraFrame frame = canvas.frame();
        effects.draw(frame, 50, 50, false, 0);
        QVERIFY((canvas.at(50, 50) >> 16) > 40);         // reddened
        QCOMPARE(canvas.at(50, 50) & 0xffff, 0u);
        QCOMPARE(canvas.at(90, 90), 0u);                  // only around the pointer
        // Near the edge the halo is cut, not wrapped.
        effects.draw(frame, 0, 0, false, 10);
        QCOMPARE(canvas.at(99, 99), 0u);
    }

    void clickHighlightOnlyWhileAButtonIsDown()
    {
        MouseLook look;
        look.clickMode = 1;
        look.clickColor = kBlue;
        MouseEffects effects(look);
        Canvas up(60, 60, 0);
        BgraFrame upFrame = up.frame();
        effects.draw(upFrame, 30, 30, false, 0);
        QCOMPARE(up.at(30, 30), 0u);
        Canvas down(60, 60, 0);
        BgraFrame downFrame = down.frame();
        effects.draw(downFrame, 30, 30, true, 40);
        QVERIFY((down.at(30, 30) & 0xff) > 100);
    }

    void clickBlinksAfterThePressAndStops()
    {
        MouseLook look;
        look.clickMode = 2;
        look.clickColor = kBlue;
        MouseEffects effects(look);
        auto shown = [&](bool down, int64_t ms) {
            Canvas canvas(60, 60, 0);
            BgraFrame frame = canvas.frame();
            effects.draw(frame, 30, 30, down, ms);
            return (canvas.at(30, 30) & 0xff) > 0;
        };
        QVERIFY(!shown(false, 0));
        QVERIFY(shown(true, 1000));   // the press
        QVERIFY(!shown(true, 1150));  // dark phase while held
        QVERIFY(shown(true, 1250));   // lit again
        QVERIFY(!shown(true, 1700));  // over, though still held: holding is not clicking
        QVERIFY(!shown(false, 1750));
        QVERIFY(shown(true, 2000));   // the next press blinks again
    }

    void watermarkBlendsWithItsAlphaAndIsClipped()
    {
        WatermarkPicture picture;
        picture.x = 90;
        picture.y = 10;
        picture.w = 20;
        picture.h = 10;
        picture.pixels.assign(200, 0xffff0000);
        picture.pixels[0] = 0x800000ff; // half-transparent blue at the top-left
        picture.pixels[1] = 0x00000000; // transparent
        Canvas canvas(100, 50, 255);
        BgraFrame frame = canvas.frame();
        FrameDecorator::drawWatermark(frame, picture);
        QCOMPARE(canvas.at(95, 15), 0xff0000u);
        QCOMPARE(canvas.at(91, 10), 0xffffffu);
        const uint32_t blended = canvas.at(90, 10);
        QVERIFY(qAbs(int(blended >> 16) - 127) <= 2 && (blended & 0xff) == 0xff);
        QCOMPARE(canvas.at(89, 10), 0xffffffu);
        QCOMPARE(canvas.at(95, 20), 0xffffffu);
    }

    void watermarkPlacementScalesOnlyAboveUltraHd()
    {
        QCOMPARE(FrameDecorator::watermarkScale(1920, 1080), 1.0);
        QCOMPARE(FrameDecorator::watermarkScale(3840, 2160), 1.0);
        QCOMPARE(FrameDecorator::watermarkScale(5120, 2880), 5120.0 / 3840.0);
        // A tall frame is capped by its height.
        QCOMPARE(FrameDecorator::watermarkScale(3000, 4000), 3000.0 / (3000 * 2160 / 4000));
    }

    // Every sample of a noisy picture is its limited-range BT.709 value (chroma of each 2 x 2
    // block's mean), whichever vector width or band converted it: widths with 16-, 8- and
    // 2-pixel rests, and a 1080p frame cut into bands.
    void conversionKeepsEverySampleBt709()
    {
        for (const QSize size : {QSize(46, 6), QSize(1920, 1080)}) {
            Canvas canvas(size.width(), size.height(), 0);
            QRandomGenerator random(size.width());
            for (uint8_t& byte : canvas.pixels)
                byte = uint8_t(random.bounded(256));
            FrameConverter converter(size.width(), size.height(), AV_PIX_FMT_YUV420P);
            AVFrame* frame = converter.convert(canvas.pixels.data(), size.width() * 4, nullptr);
            QVERIFY(frame);
            int worst = 0;
            const auto channel = [&](int x, int y, int c) { return canvas.pixels[(size_t(y) * size.width() + x) * 4 + c] / 255.0; };
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    int expected[3];
                    RecorderTest::bt709Levels(channel(x, y, 2), channel(x, y, 1), channel(x, y, 0), expected);
                    worst = std::max(worst, std::abs(frame->data[0][y * frame->linesize[0] + x] - expected[0]));
                }
            for (int y = 0; y < size.height() / 2; ++y)
                for (int x = 0; x < size.width() / 2; ++x) {
                    double rgb[3] = {};
                    for (int c = 0; c < 3; ++c)
                        rgb[c] = (channel(2 * x, 2 * y, c) + channel(2 * x + 1, 2 * y, c) + channel(2 * x, 2 * y + 1, c)
                                  + channel(2 * x + 1, 2 * y + 1, c)) / 4;
                    int expected[3];
                    RecorderTest::bt709Levels(rgb[2], rgb[1], rgb[0], expected);
                    worst = std::max(worst, std::abs(frame->data[1][y * frame->linesize[1] + x] - expected[1]));
                    worst = std::max(worst, std::abs(frame->data[2][y * frame->linesize[2] + x] - expected[2]));
                }
            av_frame_free(&frame);
            QVERIFY2(worst <= 1, qPrintable(QStringLiteral("%1x%2 off by %3").arg(size.width()).arg(size.height()).arg(worst)));
        }
    }
};

SR_TEST(RecorderFramesTest)

#include "tst_recorderframes.moc"
