// The colours of a recording: solid bars of known sRGB values shown full-screen, recorded
// losslessly and read back as the stored 4:2:0 levels.

#include "TestMain.h"
#include "RecorderSupport.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cmath>

using namespace RecorderTest;

namespace {
const QRgb kBars[] = {0xffffff, 0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0xc0c040, 0x808080, 0xe0a080};
const int kBarCount = int(sizeof kBars / sizeof kBars[0]);
// The stored levels may differ from the exact ones by rounding.
const int kTolerance = 2;

class ColourBars : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int bar = width() / kBarCount;
        for (int i = 0; i < kBarCount; ++i)
            painter.fillRect(i * bar, 0, bar, height(), QColor(kBars[i]));
    }
};
} // namespace

class RecorderColoursTest : public QObject {
    Q_OBJECT
private slots:
    void barsKeepTheirBt709Levels()
    {
        QCOMPARE(scInitialize(), 0);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        ColourBars bars;
        bars.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        bars.setGeometry(screen);
        bars.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bars));
        spin(300);

        ScVideoOptions video;
        video.rect = rectOf(0, 0, screen.width(), screen.height());
        video.codec = VC_H264;
        video.container = OVFT_MP4;
        video.quality = CQ_Lossless;
        video.drawCursor = false;
        const QString path = SrTest::newFolder(QStringLiteral("colours")) + QStringLiteral("/bars.mp4");
        Reports reports;
        QVERIFY(record(reports, video, path, 1.0).stopped);

        QByteArray yuv;
        QVERIFY(SrTest::run(QStringLiteral("ffmpeg"), {"-v", "error", "-i", path, "-frames:v", "1", "-f", "rawvideo",
                                                       "-pix_fmt", "yuv420p", "-"},
                            60000, &yuv));
        const int w = screen.width();
        const int h = screen.height();
        QCOMPARE(yuv.size(), w * h * 3 / 2);
        const uchar* luma = reinterpret_cast<const uchar*>(yuv.constData());
        const uchar* cb = luma + w * h;
        const uchar* cr = cb + w * h / 4;
        const int bar = w / kBarCount;
        for (int i = 0; i < kBarCount; ++i) {
            const int x = i * bar + bar / 2;
            const int y = h / 2;
            const int stored[3] = {luma[y * w + x], cb[(y / 2) * (w / 2) + x / 2], cr[(y / 2) * (w / 2) + x / 2]};
            int expected[3];
            bt709Levels(qRed(kBars[i]) / 255.0, qGreen(kBars[i]) / 255.0, qBlue(kBars[i]) / 255.0, expected);
            for (int c = 0; c < 3; ++c)
                QVERIFY2(qAbs(stored[c] - expected[c]) <= kTolerance,
                         qPrintable(QStringLiteral("bar %1 (#%2) channel %3: %4, expected %5")
                                        .arg(i)
                                        .arg(kBars[i], 6, 16, QLatin1Char('0'))
                                        .arg(c)
                                        .arg(stored[c])
                                        .arg(expected[c])));
        }
    }
};

SR_TEST_DISPLAY(RecorderColoursTest)
#include "tst_recordercolours.moc"
