// The video player in its host widget: status, playback, seek, control bar and trim bar.

#include "TestEnv.h"
#include "TestMain.h"
#include "MediaSupport.h"

#include "Screencast.h"

#include <QFile>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

using namespace MediaTest;

class MediaPlayerTest : public QObject {
    Q_OBJECT
private:
    QString m_clip;

    // Drags the handle nearest to a sixth of the bar to its left end.
    static void dragToLeftEnd(QWidget* range)
    {
        const int y = range->height() / 2;
        QTest::mousePress(range, Qt::LeftButton, {}, QPoint(range->width() / 6, y));
        QMouseEvent move(QEvent::MouseMove, QPointF(0, y), range->mapToGlobal(QPoint(0, y)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(range, &move);
        QTest::mouseRelease(range, Qt::LeftButton, {}, QPoint(0, y));
    }

    // Distinct colours in the middle row of the widget's picture.
    static int colours(QWidget* widget)
    {
        const QImage image = widget->grab().toImage();
        QSet<QRgb> seen;
        for (int x = 0; x < image.width(); x += 4)
            seen.insert(image.pixel(x, image.height() / 3));
        return seen.size();
    }

private slots:
    void initTestCase()
    {
        scInitialize();
        m_clip = SrTest::newFolder(QStringLiteral("player")) + QStringLiteral("/clip.mp4");
        QVERIFY(SrTest::makeClip(m_clip, 3.0, 640, 360));
    }

    // The view fills the host and follows it; playback advances, pauses and seeks, also by
    // the play button; the picture shows the clip.
    void playsInHost()
    {
        QWidget host;
        host.resize(640, 420);
        host.show();
        Reports reports;
        auto player = CreateAVPlayer(&reports, QFile::encodeName(m_clip).constData(), &host);
        QVERIFY(player);
        QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusReadyToPlay));
        auto* view = host.findChild<QWidget*>(QStringLiteral("scPlayerView"));
        QVERIFY(view);
        QCOMPARE(view->geometry(), host.rect());
        host.resize(800, 500);
        QCOMPARE(view->geometry(), host.rect());
        host.resize(640, 420);

        auto* time = host.findChild<QLabel*>(QStringLiteral("lblTime"));
        auto* slider = host.findChild<QSlider*>(QStringLiteral("sldPosition"));
        auto* play = host.findChild<QToolButton*>(QStringLiteral("btnPlayPause"));
        QVERIFY(time && slider && play);
        QVERIFY(SrTest::spinUntil([&] { return time->text() == QLatin1String("00:00 / 00:03"); }, 2000));
        QVERIFY(SrTest::spinUntil([&] { return colours(view) > 8; }, 5000));

        play->click();
        QVERIFY(SrTest::spinUntil([&] { return slider->value() >= 800; }, 5000));
        player->Pause();
        QTest::qWait(200);
        const int paused = slider->value();
        QTest::qWait(400);
        QVERIFY(qAbs(slider->value() - paused) <= 100);

        QCOMPARE(player->Seek(2.0), 0);
        QVERIFY(SrTest::spinUntil([&] { return qAbs(slider->value() - 2000) <= 100; }, 3000));
        player->Resume();
        // Playing to the end stops there; Resume starts again from the beginning.
        QVERIFY(SrTest::spinUntil([&] { return slider->value() >= 2900 && play->toolTip() == QLatin1String("Play"); }, 5000));
        player->Resume();
        QVERIFY(SrTest::spinUntil([&] { return slider->value() < 1500; }, 3000));
        play->click();
        QTest::qWait(200);
        const int stopped = slider->value();
        QTest::qWait(300);
        QVERIFY(qAbs(slider->value() - stopped) <= 100);

        player->SetControlsStyle(ControlsStyleNone);
        QVERIFY(!host.findChild<QWidget*>(QStringLiteral("scControlBar"))->isVisible());
        player.reset();
        QVERIFY(!host.findChild<QWidget*>(QStringLiteral("scPlayerView")));
    }

    // The trim bar: shown by BeginTrimming, OK reports the range once, Cancel reports a
    // cancel and restores the range; bad values are refused.
    void trimBar()
    {
        QWidget host;
        host.resize(640, 420);
        host.show();
        Reports reports;
        auto player = CreateAVPlayer(&reports, QFile::encodeName(m_clip).constData(), &host);
        QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusReadyToPlay));
        auto* bar = host.findChild<QWidget*>(QStringLiteral("scTrimBar"));
        QVERIFY(bar && !bar->isVisible());
        QCOMPARE(player->BeginTrimming(), 0);
        QVERIFY(bar->isVisible());
        QCOMPARE(player->SetTrimBegin(0.5), 0);
        QCOMPARE(player->SetTrimEnd(1.5), 0);
        QVERIFY(player->SetTrimBegin(1.5) != 0);
        QVERIFY(player->SetTrimBegin(-0.1) != 0);
        QVERIFY(player->SetTrimEnd(0.5) != 0);
        QVERIFY(player->SetTrimEnd(3.5) != 0);
        host.findChild<QPushButton*>(QStringLiteral("btnTrimOK"))->click();
        QVERIFY(!bar->isVisible());
        QCOMPARE(reports.trims.size(), size_t(1));
        QCOMPARE(reports.trims[0].first, 0.5);
        QCOMPARE(reports.trims[0].second, 1.5);

        // Dragging the begin handle to the far left then Cancel gives the old range back.
        QCOMPARE(player->BeginTrimming(), 0);
        auto* range = host.findChild<QWidget*>(QStringLiteral("scTrimRange"));
        dragToLeftEnd(range);
        host.findChild<QPushButton*>(QStringLiteral("btnTrimCancel"))->click();
        QCOMPARE(reports.trimCancels.load(), 1);
        QCOMPARE(player->BeginTrimming(), 0);
        host.findChild<QPushButton*>(QStringLiteral("btnTrimOK"))->click();
        QCOMPARE(reports.trims.size(), size_t(2));
        QCOMPARE(reports.trims[1].first, 0.5);
        QCOMPARE(reports.trims[1].second, 1.5);

        // Dragging and OK reports the dragged range.
        QCOMPARE(player->BeginTrimming(), 0);
        dragToLeftEnd(range);
        host.findChild<QPushButton*>(QStringLiteral("btnTrimOK"))->click();
        QCOMPARE(reports.trims.size(), size_t(3));
        QCOMPARE(reports.trims[2].first, 0.0);
        QCOMPARE(reports.trims[2].second, 1.5);
    }

    // With a sound server, the clip's sound reaches the default output (the test server's
    // null sink, recorded from its monitor).
    void soundReachesOutput()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("PULSE_SERVER"), "needs the test sound server (scripts/with-services.sh)");
        QWidget host;
        host.resize(320, 240);
        host.show();
        Reports reports;
        auto player = CreateAVPlayer(&reports, QFile::encodeName(m_clip).constData(), &host);
        QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusReadyToPlay));
        const QString heard = SrTest::newFolder(QStringLiteral("sound")) + QStringLiteral("/heard.wav");
        QProcess recorder;
        recorder.start(QStringLiteral("ffmpeg"), {"-y", "-v", "error", "-f", "pulse", "-i", "nullsink.monitor", "-t",
                                                  "2", heard});
        QVERIFY(recorder.waitForStarted());
        QTest::qWait(300);
        player->Resume();
        QVERIFY(SrTest::spinUntil([&] { return recorder.state() == QProcess::NotRunning; }, 15000));
        QCOMPARE(recorder.exitCode(), 0);
        QVERIFY2(probe(heard).peak > 0.05, qPrintable(QString::number(probe(heard).peak)));
    }

    // Trimming needs a picture host and an opened media.
    void trimmingNeedsHostAndMedia()
    {
        Reports reports;
        auto player = CreateAVPlayer(&reports, QFile::encodeName(m_clip).constData(), nullptr);
        QCOMPARE(waitStatus(reports), int(AVPlayerItemStatusReadyToPlay));
        QVERIFY(player->BeginTrimming() != 0);
        QVERIFY(!CreateAVPlayer(nullptr, "x.mp4", nullptr));
        QVERIFY(!CreateAVPlayer(&reports, nullptr, nullptr));
    }
};

// With the display programs: they get the test sound server.
SR_TEST_DISPLAY(MediaPlayerTest)
#include "tst_mediaplayer.moc"
