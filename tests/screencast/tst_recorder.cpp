// The screen and sound recorder against the real thing: Xvfb, the PulseAudio null sink and
// FFmpeg reading the files back.

#include "TestEnv.h"
#include "TestMain.h"
#include "MediaSupport.h"
#include "RecorderSupport.h"
#include "DesktopInput.h"

#include "Screencast.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <csignal>
#include <future>
#include <memory>
#include <thread>

using namespace RecorderTest;
using SrTest::firstSoundAt;
using SrTest::frameAt;
using SrTest::kToneHeardWithin;
using SrTest::kToneLevel;
using SrTest::playTone;
using SrTest::waitUntilToneFlows;
using SrTest::nearColour;

namespace {
// Far longer than a release and a stop take on a busy machine, far shorter than a test's
// time-out: a call still waiting then waits for the server.
const int kHeldBackBoundSeconds = 30;
// The application's countdown between making a recorder and starting it.
const int kCountdownMs = 3000;

// The recording child the kill and lost-screen cases use, built with this program.
QString benchRecord() { return QCoreApplication::applicationDirPath() + QStringLiteral("/bench_record"); }
} // namespace

class RecorderEngineTest : public QObject {
    Q_OBJECT

private:
    QString m_folder;
    QString path(const QString& name) const { return m_folder + QLatin1Char('/') + name; }
    ScVideoOptions region(const QRect& r) const
    {
        ScVideoOptions video;
        video.rect = rectOf(r.x(), r.y(), r.width(), r.height());
        video.codec = VC_H264;
        video.container = OVFT_MP4;
        return video;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "needs an X display");
        QCOMPARE(scInitialize(), 0);
        m_folder = SrTest::newFolder(QStringLiteral("recorder"));
    }

    void fullScreenRecordingLastsItsTimeAtDisplaySize()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        Reports reports;
        const Result r = record(reports, region(screen), path("full.mp4"), 3.0);
        QVERIFY(r.started && r.stopped);
        QCOMPARE(videoSize(path("full.mp4")), screen.size());
        QVERIFY2(r.span.holds(durationOf(path("full.mp4")), kLateStart, kLastFrame),
                 qPrintable(QString::number(durationOf(path("full.mp4")))));
        QVERIFY(r.span.holds(r.duration, kLateStart, kLastFrame));
        QVERIFY(reports.errorList().empty());
        // The file in progress is gone after a clean stop.
        QVERIFY(!QFile::exists(path("full.mp4.recording.mp4")));
    }

    void regionRecordingHasRegionSize()
    {
        Reports reports;
        QVERIFY(record(reports, region(QRect(101, 57, 320, 240)), path("region.mp4"), 1.0).stopped);
        QCOMPARE(videoSize(path("region.mp4")), QSize(320, 240));
        // An odd size loses its last column and row (4:2:0 pictures need even sizes).
        QVERIFY(record(reports, region(QRect(0, 0, 321, 241)), path("odd.mp4"), 0.5).stopped);
        QCOMPARE(videoSize(path("odd.mp4")), QSize(320, 240));
    }

    void windowRecordingHasWindowSizeAndFollowsIt()
    {
        auto window = colouredWindow(Qt::green, QRect(200, 150, 360, 240));
        const uint64_t id = window->winId();
        CRect reported;
        QVERIFY(scGetRecordWindowRect(id, &reported));
        QCOMPARE(int(reported.right), 360);
        QCOMPARE(int(reported.bottom), 240);

        ScVideoOptions video;
        video.windowMode = SWM_Single;
        video.windows = &id;
        video.windowCount = 1;
        Reports reports;
        bool moved = false;
        const Result r = record(reports, video, path("window.mp4"), 2.5, ScAudioOptions(), ScMouseOptions(),
                                [&](CScreenRecorderObject*, qint64 ms) {
                                    if (ms > 1000 && !moved) {
                                        window->move(700, 500);
                                        moved = true;
                                    }
                                });
        QVERIFY(r.stopped);
        QCOMPARE(videoSize(path("window.mp4")), QSize(360, 240));
        const std::vector<CRect> rects = reports.rectList();
        QVERIFY(!rects.empty());
        QCOMPARE(int(rects.back().left), 700);
        QCOMPARE(int(rects.back().top), 500);
        // Before and after the move the picture is the window.
        QVERIFY(nearColour(frameAt(path("window.mp4"), 0.5).pixel(180, 120), Qt::green));
        QVERIFY(nearColour(frameAt(path("window.mp4"), 2.2).pixel(180, 120), Qt::green));
        QVERIFY(!scGetRecordWindowRect(0x7ffffff, &reported));
    }

    void multipleWindowsBlackOutWhatLiesOutside()
    {
        auto backdrop = colouredWindow(Qt::white, QRect(0, 0, 900, 700));
        auto red = colouredWindow(Qt::red, QRect(100, 100, 200, 150));
        auto blue = colouredWindow(Qt::blue, QRect(500, 400, 200, 150));
        const uint64_t ids[] = {uint64_t(red->winId()), uint64_t(blue->winId())};
        ScVideoOptions video;
        video.windowMode = SWM_Multiple;
        video.windows = ids;
        video.windowCount = 2;
        Reports reports;
        QVERIFY(record(reports, video, path("multi.mp4"), 1.0).stopped);
        QCOMPARE(videoSize(path("multi.mp4")), QSize(600, 450));
        const QImage frame = frameAt(path("multi.mp4"), 0.5);
        QVERIFY(nearColour(frame.pixel(100, 75), Qt::red));
        QVERIFY(nearColour(frame.pixel(500, 375), Qt::blue));
        QVERIFY2(nearColour(frame.pixel(300, 225), Qt::black), "the white backdrop between the windows is blacked out");
    }

    void excludedWindowsAreBlackedOutWhereverTheyGo()
    {
        auto backdrop = colouredWindow(Qt::white, QRect(0, 0, 640, 480));
        auto secret = colouredWindow(Qt::red, QRect(50, 50, 120, 100));
        const uint64_t id = secret->winId();
        ScVideoOptions video = region(QRect(0, 0, 640, 480));
        video.windowMode = SWM_Exclude;
        video.windows = &id;
        video.windowCount = 1;
        Reports reports;
        bool moved = false;
        QVERIFY(record(reports, video, path("exclude.mp4"), 3.0, ScAudioOptions(), ScMouseOptions(),
                       [&](CScreenRecorderObject*, qint64 ms) {
                           if (ms > 800 && !moved) {
                               secret->move(400, 300);
                               moved = true;
                           }
                       })
                    .stopped);
        const QImage before = frameAt(path("exclude.mp4"), 0.3);
        QVERIFY(nearColour(before.pixel(110, 100), Qt::black));
        QVERIFY(nearColour(before.pixel(300, 200), Qt::white));
        // The last picture, two seconds after the move on a quiet machine, later on a busy one.
        const QImage after = frameAt(path("exclude.mp4"), durationOf(path("exclude.mp4")) - 0.2);
        QVERIFY(nearColour(after.pixel(460, 350), Qt::black));
        QVERIFY(nearColour(after.pixel(110, 100), Qt::white));
    }

    void ownWindowsAreBlackedOutWhileShownAlsoInAWindowRecording()
    {
        auto recorded = colouredWindow(Qt::green, QRect(200, 150, 360, 240));
        // One of the program's own controls, over the recorded window; hidden after a while.
        auto own = colouredWindow(Qt::red, QRect(300, 250, 120, 80));
        const uint64_t id = recorded->winId();
        const uint64_t ownId = own->winId();
        ScVideoOptions video;
        video.windowMode = SWM_Single;
        video.windows = &id;
        video.windowCount = 1;
        video.ownWindows = &ownId;
        video.ownWindowCount = 1;
        video.drawCursor = false;
        Reports reports;
        bool hidden = false;
        QVERIFY(record(reports, video, path("own.mp4"), 3.0, ScAudioOptions(), ScMouseOptions(),
                       [&](CScreenRecorderObject*, qint64 ms) {
                           if (ms > 800 && !hidden) {
                               own->hide();
                               hidden = true;
                           }
                       })
                    .stopped);
        const QPoint ownInFrame(160, 140); // the middle of the own window in the window's picture
        const QImage before = frameAt(path("own.mp4"), 0.3);
        QVERIFY2(nearColour(before.pixel(ownInFrame), Qt::black), "the own window is recorded");
        QVERIFY(nearColour(before.pixel(40, 40), Qt::green));
        // Once hidden, its place shows what is under it, not a black hole.
        const QImage after = frameAt(path("own.mp4"), durationOf(path("own.mp4")) - 0.2);
        QVERIFY2(nearColour(after.pixel(ownInFrame), Qt::green), "a hidden own window is still blacked out");
    }

    void excludedWindowIsBlackedOutWithItsTitleBar()
    {
        auto backdrop = colouredWindow(Qt::white, QRect(0, 0, 800, 600));
        // A window the window manager frames, title bar and all.
        QWidget secret;
        QPalette palette = secret.palette();
        palette.setColor(QPalette::Window, Qt::red);
        secret.setPalette(palette);
        secret.setAutoFillBackground(true);
        secret.setWindowTitle(QStringLiteral("secret"));
        secret.setGeometry(200, 200, 240, 160);
        secret.show();
        QVERIFY(QTest::qWaitForWindowExposed(&secret));
        secret.raise();
        QVERIFY(SrTest::spinUntil([&] { return secret.frameGeometry().top() < secret.geometry().top(); }, 5000));
        spin(300);
        const QRect frame = secret.frameGeometry();
        const QPoint title((frame.left() + frame.right()) / 2, (frame.top() + secret.geometry().top()) / 2);
        const uint64_t id = secret.winId();
        ScVideoOptions video = region(QRect(0, 0, 800, 600));
        video.windowMode = SWM_Exclude;
        video.windows = &id;
        video.windowCount = 1;
        video.drawCursor = false;
        Reports reports;
        QVERIFY(record(reports, video, path("frame.mp4"), 1.0).stopped);
        const QImage picture = frameAt(path("frame.mp4"), 0.5);
        QVERIFY(nearColour(picture.pixel(secret.geometry().center()), Qt::black));
        QVERIFY2(nearColour(picture.pixel(title), Qt::black), "the title bar is blacked out with the window");
        QVERIFY(nearColour(picture.pixel(frame.right() + 30, frame.center().y()), Qt::white));
    }

    void ctrlHeldMovesTheAreaWithTheMouse()
    {
        auto red = colouredWindow(Qt::red, QRect(100, 100, 300, 200));
        auto blue = colouredWindow(Qt::blue, QRect(800, 500, 300, 200));
        for (const bool option : {false, true}) {
            QVERIFY(SrTest::xdotool({"mousemove", "150", "150"}));
            ScVideoOptions video = region(QRect(150, 150, 160, 100));
            video.drawCursor = false;
            video.ctrlMovesArea = option;
            Reports reports;
            const QString file = path(option ? "ctrlmove.mp4" : "ctrlstill.mp4");
            int step = 0;
            QVERIFY(record(reports, video, file, 3.0, ScAudioOptions(), ScMouseOptions(),
                           [&](CScreenRecorderObject*, qint64 ms) {
                               // Ctrl goes down first, the mouse moves while it is held, then
                               // the mouse moves on after Ctrl is let go.
                               if (ms > 600 && step == 0 && SrTest::xdotool({"keydown", "ctrl"}))
                                   step = 1;
                               if (ms > 1000 && step == 1 && SrTest::xdotool({"mousemove", "500", "400"}))
                                   step = 2;
                               if (ms > 1300 && step == 2 && SrTest::xdotool({"mousemove", "850", "550"}))
                                   step = 3;
                               if (ms > 1700 && step == 3 && SrTest::xdotool({"keyup", "ctrl"}))
                                   step = 4;
                               if (ms > 2000 && step == 4 && SrTest::xdotool({"mousemove", "150", "150"}))
                                   step = 5;
                           })
                        .stopped);
            QCOMPARE(step, 5);
            QVERIFY(nearColour(frameAt(file, 0.3).pixel(80, 50), Qt::red));
            const QImage last = frameAt(file, 2.7);
            if (!option) {
                QVERIFY2(nearColour(last.pixel(80, 50), Qt::red), "without the option the area stays");
                QVERIFY(reports.rectList().empty());
                continue;
            }
            QVERIFY2(nearColour(last.pixel(80, 50), Qt::blue), "the area went with the mouse while Ctrl was held");
            const std::vector<CRect> rects = reports.rectList();
            QVERIFY(!rects.empty());
            QCOMPARE(rects.back().left, 850.0);
            QCOMPARE(rects.back().top, 550.0);
            QCOMPARE(rects.back().width(), 160.0);
        }
    }

    void areaAroundTheMouseFollowsIt()
    {
        auto blue = colouredWindow(Qt::blue, QRect(1300, 700, 400, 300));
        auto yellow = colouredWindow(Qt::yellow, QRect(100, 100, 400, 300));
        QCursor::setPos(1500, 850);
        spin(200);
        ScVideoOptions video = region(QRect(0, 0, 240, 160));
        video.followMouse = true;
        video.drawCursor = false;
        ScMouseOptions mouse;
        mouse.indicate = true;
        mouse.normalColor = 0xff00ff00; // green halo at the pointer
        Reports reports;
        bool moved = false;
        QVERIFY(record(reports, video, path("mouse.mp4"), 2.0, ScAudioOptions(), mouse,
                       [&](CScreenRecorderObject*, qint64 ms) {
                           if (ms > 900 && !moved) {
                               QCursor::setPos(300, 250);
                               moved = true;
                           }
                       })
                    .stopped);
        QCOMPARE(videoSize(path("mouse.mp4")), QSize(240, 160));
        const QImage first = frameAt(path("mouse.mp4"), 0.4);
        QVERIFY(nearColour(first.pixel(20, 20), Qt::blue));
        QVERIFY2(qGreen(first.pixel(120, 80)) > 60 && qBlue(first.pixel(120, 80)) < 230, "the halo sits at the centre");
        QVERIFY(nearColour(frameAt(path("mouse.mp4"), 1.7).pixel(20, 20), Qt::yellow));
    }

    void clickIsHighlightedWhileTheButtonIsDown()
    {
        QCursor::setPos(1800, 1000); // over the bare root window
        spin(200);
        ScVideoOptions video = region(QRect(1700, 900, 200, 160));
        video.drawCursor = false;
        ScMouseOptions mouse;
        mouse.clickMode = 1;
        mouse.clickColor = 0xff0000ff;
        Reports reports;
        bool pressed = false;
        bool released = false;
        QVERIFY(record(reports, video, path("click.mp4"), 2.2, ScAudioOptions(), mouse,
                       [&](CScreenRecorderObject*, qint64 ms) {
                           if (ms > 700 && !pressed)
                               pressed = SrTest::run(QStringLiteral("xdotool"), {"mousedown", "1"});
                           if (ms > 1500 && !released)
                               released = SrTest::run(QStringLiteral("xdotool"), {"mouseup", "1"});
                       })
                    .stopped);
        QVERIFY(pressed && released);
        QVERIFY(qBlue(frameAt(path("click.mp4"), 0.3).pixel(100, 100)) < 40);
        QVERIFY(qBlue(frameAt(path("click.mp4"), 1.2).pixel(100, 100)) > 100);
        QVERIFY(qBlue(frameAt(path("click.mp4"), 2.0).pixel(100, 100)) < 40);
    }

    void everyContainerCodecPairOpensWithItsCodec_data()
    {
        QTest::addColumn<int>("container");
        QTest::addColumn<int>("codec");
        QTest::addColumn<QString>("expected");
        const char* suffixes[] = {"mp4", "mov", "m4v"};
        const char* names[] = {"", "h264", "hevc", "prores", "prores", "gif"};
        for (int container = OVFT_MP4; container <= OVFT_M4V; ++container) {
            int codecs[8];
            const int count = scGetSupportCodecs(OutputVideoFileType(container), codecs, 8);
            for (int i = 0; i < count; ++i)
                QTest::addRow("%s-%d", suffixes[container], codecs[i]) << container << codecs[i] << names[codecs[i]];
        }
    }
    void everyContainerCodecPairOpensWithItsCodec()
    {
        QFETCH(int, container);
        QFETCH(int, codec);
        QFETCH(QString, expected);
        ScVideoOptions video = region(QRect(0, 0, 320, 240));
        video.container = OutputVideoFileType(container);
        video.codec = VideoCodec(codec);
        const QString file = path(QStringLiteral("pair_%1_%2.%3").arg(container).arg(codec).arg(container == OVFT_MOV ? "mov" : "mp4"));
        Reports reports;
        QVERIFY(record(reports, video, file, 1.0).stopped);
        const MediaTest::Probe probe = MediaTest::probe(file);
        QVERIFY(probe.opened);
        QCOMPARE(probe.codecs.value(0), expected);
        QVERIFY(probe.videoFrames >= 20);
        QCOMPARE(probe.decodeErrors, 0);
    }

    void unrecordableOptionsAreRefused()
    {
        Reports reports;
        ScVideoOptions video = region(QRect(0, 0, 320, 240));
        video.codec = VC_ProRes422; // not in MP4
        QVERIFY(!scVideoRecord(&reports, video, ScMouseOptions(), ScAudioOptions(), "x.mp4"));
        video.codec = VC_H264;
        video.rect = CRect();
        QVERIFY(!scVideoRecord(&reports, video, ScMouseOptions(), ScAudioOptions(), "x.mp4"));
        // A file already at the path is never written over.
        video.rect = rectOf(0, 0, 320, 240);
        const QString existing = path("existing.mp4");
        QVERIFY(SrTest::writeFile(existing, 1000));
        QVERIFY(!scVideoRecord(&reports, video, ScMouseOptions(), ScAudioOptions(), QFile::encodeName(existing).constData()));
        QCOMPARE(QFileInfo(existing).size(), 1000);
        // A window that does not exist: created, but it cannot start, and says why.
        const uint64_t none = 0x7fffffe;
        video.windowMode = SWM_Single;
        video.windows = &none;
        video.windowCount = 1;
        const Result r = record(reports, video, path("nowindow.mp4"), 0.1);
        QVERIFY(r.created && !r.started);
        QCOMPARE(reports.errorList(), std::vector<int>{SRE_CaptureOpen});
        QVERIFY(!QFile::exists(path("nowindow.mp4")));
    }

    void gifHasManyFrames()
    {
        auto backdrop = colouredWindow(Qt::yellow, QRect(0, 0, 320, 240));
        ScVideoOptions video = region(QRect(0, 0, 320, 240));
        video.container = OVFT_GIF;
        video.codec = VC_GIF;
        video.frameRate = 10;
        Reports reports;
        QVERIFY(record(reports, video, path("anim.gif"), 2.0).stopped);
        const MediaTest::Probe probe = MediaTest::probe(path("anim.gif"));
        QCOMPARE(probe.format, QStringLiteral("gif"));
        QVERIFY2(probe.videoFrames >= 15, qPrintable(QString::number(probe.videoFrames)));
        QVERIFY(nearColour(frameAt(path("anim.gif"), 1.0).pixel(160, 120), Qt::yellow));
        QVERIFY(!QFile::exists(path("anim.gif.recording.mp4")));
    }

    void pausedTimeIsAbsentFromTheTimeline()
    {
        ScAudioOptions audio;
        audio.systemSound = true;
        Reports reports;
        CBasePtr<CScreenRecorderObject> recorder = scVideoRecord(&reports, region(QRect(0, 0, 320, 240)),
                                                                 ScMouseOptions(), audio,
                                                                 QFile::encodeName(path("paused.mp4")).constData());
        QVERIFY(recorder);
        SrTest::RecordedSpan span;
        QVERIFY(recordWithPause(recorder.get(), span, 1000, 1500, 1000));
        QVERIFY(span.pausedLeast() >= 1.5);
        // The paused time is left out: kept on the timeline, it would put the file's length,
        // the recorder's and the sound's a whole pause past the time recorded.
        const double seconds = durationOf(path("paused.mp4"));
        QVERIFY2(span.holds(seconds, kLateStart, kLastFrame),
                 qPrintable(QStringLiteral("%1 s, recorded %2 to %3 s").arg(seconds).arg(span.least()).arg(span.most())));
        QVERIFY(span.holds(recorder->GetDuration(), kLateStart, kLastFrame));
        QVERIFY(MediaTest::probe(path("paused.mp4")).videoFrames >= 2);
        const double sound = soundDuration(path("paused.mp4"));
        QVERIFY2(span.holds(sound, kLateStart, kLastFrame), qPrintable(QString::number(sound)));
    }

    void systemSoundToneIsInTheRecording()
    {
        QProcess player;
        playTone(player, 5.0);
        ScAudioOptions audio;
        audio.systemSound = true;
        Reports reports;
        QVERIFY(record(reports, region(QRect(0, 0, 320, 240)), path("tone.mp4"), 4.5, audio).stopped);
        player.waitForFinished(10000);
        const MediaTest::Probe probe = MediaTest::probe(path("tone.mp4"));
        QCOMPARE(probe.codecs, QStringList({"h264", "aac"}));
        QVERIFY2(probe.peak > 0.05, qPrintable(QString::number(probe.peak)));
        QVERIFY(reports.errorList().empty());
    }

    void toneFromBeforeTheStartIsHeardFromTheFirstMoment()
    {
        QProcess player;
        playTone(player, 60.0);
        QVERIFY(waitUntilToneFlows());
        ScAudioOptions audio;
        audio.systemSound = true;
        Reports reports;
        // As the application does: the recorder is made when REC is pressed and started
        // after the countdown.
        auto recordAfterCountdown = [](CScreenRecorderObject* recorder) {
            spin(kCountdownMs);
            if (!recorder->Start())
                return false;
            spin(1500);
            return recorder->Stop();
        };
        const ScVideoOptions video = region(QRect(0, 0, 320, 240));
        CBasePtr<CScreenRecorderObject> screen
            = scVideoRecord(&reports, video, ScMouseOptions(), audio, QFile::encodeName(path("early.mp4")).constData());
        QVERIFY(screen && recordAfterCountdown(screen.get()));
        const double withVideo = firstSoundAt(path("early.mp4"), kToneLevel);
        QVERIFY2(withVideo >= 0 && withVideo < kToneHeardWithin, qPrintable(QString::number(withVideo)));

        const QString folder = SrTest::newFolder(QStringLiteral("earlyaudio"));
        CBasePtr<CScreenRecorderObject> sound = scAudioRecord(&reports, audio, QFile::encodeName(folder).constData());
        QVERIFY(sound && recordAfterCountdown(sound.get()));
        const double audioOnly = firstSoundAt(folder + "/AudioTrack0.mka", kToneLevel);
        QVERIFY2(audioOnly >= 0 && audioOnly < kToneHeardWithin, qPrintable(QString::number(audioOnly)));
        QVERIFY(reports.errorList().empty());
        player.kill();
        player.waitForFinished();
    }

    void soundHeldBackByTheServerDoesNotHoldUpARelease()
    {
        // A suspended sink delivers nothing to a capture of its monitor until it resumes.
        QVERIFY(SrTest::run(QStringLiteral("pactl"), {"suspend-sink", "nullsink", "1"}));
        ScAudioOptions audio;
        audio.systemSound = true;
        Reports reports;
        const QByteArray folder = QFile::encodeName(SrTest::newFolder(QStringLiteral("heldback")));
        const QByteArray file = QFile::encodeName(path("heldback.mp4"));
        std::future<bool> released = std::async(std::launch::async, [&] {
            CBasePtr<CScreenRecorderObject> unstarted = scAudioRecord(&reports, audio, folder.constData());
            CBasePtr<CScreenRecorderObject> screen
                = scVideoRecord(&reports, region(QRect(0, 0, 320, 240)), ScMouseOptions(), audio, file.constData());
            const bool made = unstarted && screen && screen->Start();
            if (made)
                screen->Stop();
            return made;
        });
        // Without a bound the release would wait for the server as long as the sink sleeps.
        const bool returned = released.wait_for(std::chrono::seconds(kHeldBackBoundSeconds)) == std::future_status::ready;
        QVERIFY(SrTest::run(QStringLiteral("pactl"), {"suspend-sink", "nullsink", "0"}));
        QVERIFY(returned);
        QVERIFY(released.get());
    }

    void soundFlowsOnceTheServerDelivers()
    {
        Reports reports;
        CBasePtr<CScreenRecorderObject> mute = scVideoRecord(&reports, region(QRect(0, 0, 320, 240)), ScMouseOptions(),
                                                             ScAudioOptions(), QFile::encodeName(path("mute.mp4")).constData());
        QVERIFY(mute && mute->IsSoundFlowing()); // nothing to wait for
        // A suspended sink delivers nothing to a capture of its monitor until it resumes.
        QVERIFY(SrTest::run(QStringLiteral("pactl"), {"suspend-sink", "nullsink", "1"}));
        ScAudioOptions audio;
        audio.systemSound = true;
        CBasePtr<CScreenRecorderObject> screen = scVideoRecord(&reports, region(QRect(0, 0, 320, 240)), ScMouseOptions(),
                                                               audio, QFile::encodeName(path("flow.mp4")).constData());
        CBasePtr<CScreenRecorderObject> sound
            = scAudioRecord(&reports, audio, QFile::encodeName(SrTest::newFolder(QStringLiteral("flow"))).constData());
        spin(500);
        const bool flowedSuspended = !screen || !sound || screen->IsSoundFlowing() || sound->IsSoundFlowing();
        QVERIFY(SrTest::run(QStringLiteral("pactl"), {"suspend-sink", "nullsink", "0"}));
        QVERIFY(!flowedSuspended);
        QVERIFY(SrTest::spinUntil([&] { return screen->IsSoundFlowing() && sound->IsSoundFlowing(); }, 30000));
        QVERIFY(reports.errorList().empty());
    }

    void silenceIsSilent()
    {
        ScAudioOptions audio;
        audio.systemSound = true;
        audio.microphone = true;
        Reports reports;
        const Result r = record(reports, region(QRect(0, 0, 320, 240)), path("silent.mp4"), 3.0, audio);
        QVERIFY(r.stopped);
        const MediaTest::Probe probe = MediaTest::probe(path("silent.mp4"));
        QCOMPARE(probe.codecs.value(1), QStringLiteral("aac"));
        QVERIFY(probe.peak < 0.01);
        // The sound runs to the end of the recording, not short by the server's latency.
        const double sound = soundDuration(path("silent.mp4"));
        QVERIFY2(r.span.holds(sound, kLateStart, kLastFrame), qPrintable(QString::number(sound)));
    }

    void chosenMicrophoneIsUsedAndAMissingOneIsReported()
    {
        QProcess player;
        playTone(player, 4.0);
        ScAudioOptions audio;
        audio.microphone = true;
        audio.microphoneDevice = "nullsink.monitor";
        Reports reports;
        QVERIFY(record(reports, region(QRect(0, 0, 320, 240)), path("mic.mp4"), 3.5, audio).stopped);
        player.waitForFinished(10000);
        QVERIFY(MediaTest::probe(path("mic.mp4")).peak > 0.05);
        QVERIFY(reports.errorList().empty());

        Reports missing;
        audio.microphoneDevice = "no-such-source";
        QVERIFY(record(missing, region(QRect(0, 0, 320, 240)), path("nomic.mp4"), 1.0, audio).stopped);
        QCOMPARE(missing.errorList(), std::vector<int>{SRE_AudioDevice});
        QCOMPARE(MediaTest::probe(path("nomic.mp4")).codecs, QStringList{"h264"});
    }

    void audioOnlyWritesOneFilePerTrackAndHandsThemOver()
    {
        const QString folder = SrTest::newFolder(QStringLiteral("audioonly"));
        QProcess player;
        playTone(player, 4.0);
        ScAudioOptions audio;
        audio.systemSound = true;
        audio.microphone = true;
        Reports reports;
        CBasePtr<CScreenRecorderObject> recorder = scAudioRecord(&reports, audio, QFile::encodeName(folder).constData());
        QVERIFY(recorder);
        SrTest::RecordedSpan span;
        QVERIFY(span.mark([&] { return recorder->Start(); }));
        spin(3500);
        QVERIFY(recorder->GetFileSize() > 0);
        QVERIFY(span.mark([&] { return recorder->Stop(); }));
        player.waitForFinished(10000);
        const QString track0 = folder + "/AudioTrack0.mka";
        const QString track1 = folder + "/AudioTrack1.mka";
        QVERIFY(MediaTest::probe(track0).peak > 0.05);
        QVERIFY(MediaTest::probe(track1).opened);
        QVERIFY2(span.holds(durationOf(track0), kLateStart, kLastFrame), qPrintable(QString::number(durationOf(track0))));
        QVERIFY(span.holds(durationOf(track1), kLateStart, kLastFrame));
        QVERIFY(qAbs(scGetLastAudioDuration() - durationOf(track0)) <= 0.1);
        QVERIFY(!scAudioRecord(&reports, ScAudioOptions(), QFile::encodeName(folder).constData()));

        // A paused second is left out of the tracks.
        const QString pausedFolder = SrTest::newFolder(QStringLiteral("audiopaused"));
        recorder = scAudioRecord(&reports, audio, QFile::encodeName(pausedFolder).constData());
        QVERIFY(recorder);
        SrTest::RecordedSpan pausedSpan;
        QVERIFY(recordWithPause(recorder.get(), pausedSpan, 1000, 1000, 1000));
        const double paused = durationOf(pausedFolder + "/AudioTrack0.mka");
        QVERIFY2(pausedSpan.holds(paused, kLateStart, kLastFrame), qPrintable(QString::number(paused)));
    }

    void watermarkIsDrawnAtItsRectangleWithItsAlpha()
    {
        auto backdrop = colouredWindow(Qt::white, QRect(0, 0, 320, 240));
        QImage picture(64, 48, QImage::Format_ARGB32);
        picture.fill(QColor(255, 0, 0));
        for (int y = 0; y < 48; ++y)
            for (int x = 32; x < 64; ++x)
                picture.setPixelColor(x, y, QColor(0, 0, 255, 0)); // right half transparent
        const QString png = path("mark.png");
        QVERIFY(picture.save(png));

        SetWatermark(QFile::encodeName(png).constData(), 40, 30, 128, 96); // drawn at twice its size
        Reports reports;
        QVERIFY(record(reports, region(QRect(0, 0, 320, 240)), path("mark.mp4"), 1.0).stopped);
        QImage frame = frameAt(path("mark.mp4"), 0.5);
        QVERIFY(nearColour(frame.pixel(40 + 30, 30 + 48), Qt::red));
        QVERIFY2(nearColour(frame.pixel(40 + 100, 30 + 48), Qt::white), "transparent part shows the screen");
        QVERIFY(nearColour(frame.pixel(20, 20), Qt::white));
        QVERIFY(nearColour(frame.pixel(40 + 30, 30 + 110), Qt::white));

        SetWatermark(nullptr, 0, 0, 0, 0);
        QVERIFY(record(reports, region(QRect(0, 0, 320, 240)), path("nomark.mp4"), 1.0).stopped);
        frame = frameAt(path("nomark.mp4"), 0.5);
        QVERIFY(nearColour(frame.pixel(40 + 30, 30 + 48), Qt::white));
    }

    // A GIF leftover without a single picture (killed before its first frame, or damaged) is
    // refused: the finish ends instead of waiting for pictures that never come.
    void gifLeftoverWithoutPicturesIsRefused()
    {
        const QByteArray leftover = QFile::encodeName(path("empty.gif.recording.mp4"));
        const QByteArray out = QFile::encodeName(path("empty.gif"));
        QFile file(QFile::decodeName(leftover));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, '\0')) == 4096);
        file.close();
        auto result = std::make_shared<std::promise<bool>>();
        std::thread([=] { result->set_value(scRecoverRecording(leftover.constData(), out.constData())); }).detach();
        std::future<bool> recovered = result->get_future();
        QVERIFY(recovered.wait_for(std::chrono::seconds(60)) == std::future_status::ready);
        QVERIFY(!recovered.get());
        QVERIFY(!QFile::exists(QFile::decodeName(out)));
    }

    void killedRecordingLeavesAPlayableFile()
    {
        const QString out = path("killed.mp4");
        QProcess child;
        child.start(benchRecord(), {"--record", out, "30"});
        QVERIFY(child.waitForStarted());
        // Two seconds after the recording began.
        QVERIFY(SrTest::spinUntil([&] { return child.canReadLine(); }, 20000));
        spin(2000);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QVERIFY(!QFile::exists(out));
        const QString progress = out + QStringLiteral(".recording.mp4");
        QVERIFY(QFile::exists(progress));
        const MediaTest::Probe probe = MediaTest::probe(progress);
        QVERIFY(probe.opened);
        QVERIFY2(probe.videoFrames >= 45, qPrintable(QString::number(probe.videoFrames))); // 1.5 s at 30 fps
    }

    void lostScreenKeepsWhatWasRecorded()
    {
        // A display of its own, which the test takes away while the child records it.
        int number = 150;
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) && number < 250)
            ++number;
        QProcess xvfb;
        xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(number), "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        QVERIFY(xvfb.waitForStarted());
        QVERIFY(SrTest::spinUntil([&] { return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)); }, 10000));

        const QString out = path("lost.mp4");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(number));
        child.setProcessEnvironment(environment);
        child.start(benchRecord(), {"--record", out, "4"});
        QVERIFY(child.waitForStarted());
        QVERIFY(SrTest::spinUntil([&] { return child.canReadLine(); }, 20000));
        spin(1500);
        xvfb.kill();
        xvfb.waitForFinished();
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(videoSize(out), QSize(640, 480));
        const double seconds = durationOf(out);
        QVERIFY2(seconds >= 1.0 && seconds <= 2.5, qPrintable(QString::number(seconds)));
        QVERIFY(!QFile::exists(out + QStringLiteral(".recording.mp4")));
    }
};

SR_TEST_DISPLAY(RecorderEngineTest)

#include "tst_recorder.moc"
