// The camera against the real thing: the synthetic camera through the same decoding,
// recording and photo path as a device, the PulseAudio null sink's monitor as microphone,
// and FFmpeg reading the files back.

#include "TestEnv.h"
#include "TestMain.h"
#include "MediaSupport.h"
#include "RecorderSupport.h"
#include "RecordedSpan.h"

#include "Screencast.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QImageReader>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <set>


namespace {
// Every picture of the synthetic camera differs from the others; a short camera goes away.
const char* const kPicture = "1";

const char* const kShortCamera = "testsrc2=size=1280x720:rate=30:duration=2";

class CameraReports : public CCameraCallback {
public:
    explicit CameraReports(QString path) : m_path(std::move(path)) {}
    void OnRecordError(int code) override { error = code; }
    void OnRecordFinished(bool failedToSave) override
    {
        // The end must come with the file final: in place, the file in progress gone.
        fileFinalAtReport = QFileInfo::exists(m_path) && !QFileInfo::exists(m_path + ".recording.mp4");
        failed = failedToSave;
        ++finished;
    }
    std::atomic<int> error{0};
    std::atomic<int> finished{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> fileFinalAtReport{false};

private:
    QString m_path;
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The time stamps (seconds) and a digest of each decoded picture of a file's video.
struct Pictures {
    std::vector<double> times;
    std::vector<QByteArray> digests;
};

Pictures picturesOf(const QString& path)
{
    Pictures result;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return result;
    avformat_find_stream_info(fmt, nullptr);
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* decoder = index >= 0 ? avcodec_alloc_context3(codec) : nullptr;
    if (decoder) {
        avcodec_parameters_to_context(decoder, fmt->streams[index]->codecpar);
        avcodec_open2(decoder, codec, nullptr);
    }
    const double timeBase = index >= 0 ? av_q2d(fmt->streams[index]->time_base) : 0;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            result.times.push_back(frame->best_effort_timestamp * timeBase);
            QByteArray luma;
            for (int y = 0; y < frame->height; ++y)
                luma.append(reinterpret_cast<const char*>(frame->data[0] + y * frame->linesize[0]), frame->width);
            result.digests.push_back(QCryptographicHash::hash(luma, QCryptographicHash::Md5));
            av_frame_unref(frame);
        }
    };
    while (decoder && av_read_frame(fmt, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0)
            drain();
        av_packet_unref(packet);
    }
    if (decoder) {
        avcodec_send_packet(decoder, nullptr);
        drain();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&fmt);
    return result;
}
} // namespace

class CameraTest : public QObject {
    Q_OBJECT

private:
    QString m_folder;
    QString path(const QString& name) const { return m_folder + QLatin1Char('/') + name; }

private slots:
    void initTestCase()
    {
        QCOMPARE(scInitialize(), 0);
        m_folder = SrTest::newFolder(QStringLiteral("camera"));
    }

    void cleanup() { scSetSyntheticCamera(nullptr); }

    void pausedRecordingHasNoGapAndEndsOnlyWhenFinal()
    {
        scSetSyntheticCamera(kPicture);
        QWidget host;
        host.resize(320, 180);
        host.show();
        const QString file = path(QStringLiteral("paused.mov"));
        CameraReports reports(file);
        CBasePtr<CCameraObject> camera = scOpenCamera(&reports, SC_SYNTHETIC_CAMERA_NAME, &host);
        QVERIFY(camera);
        SrTest::RecordedSpan span;
        QVERIFY(span.mark([&] { return camera->StartRecord(QFile::encodeName(file).constData(), ""); }));
        RecorderTest::spin(1000);
        span.mark([&] { camera->PauseRecord(); });
        RecorderTest::spin(1000);
        span.mark([&] { camera->ResumeRecord(); });
        RecorderTest::spin(1000);
        QVERIFY(span.mark([&] { return camera->StopRecord(); }));
        QVERIFY(SrTest::spinUntil([&] { return reports.finished > 0; }, 30000));
        QVERIFY(reports.fileFinalAtReport);
        QVERIFY(!reports.failed);
        QCOMPARE(int(reports.error), 0);

        // The file lasts as long as the camera recorded, the paused second left out: a paused
        // time kept on the timeline would put it a whole pause past the span.
        const double seconds = RecorderTest::durationOf(file);
        QVERIFY2(span.holds(seconds),
                 qPrintable(QStringLiteral("%1 s, recorded %2 to %3 s").arg(seconds).arg(span.least()).arg(span.most())));
        QCOMPARE(RecorderTest::videoSize(file), QSize(1280, 720));
        const MediaTest::Probe probe = MediaTest::probe(file);
        QCOMPARE(probe.codecs, QStringList({"h264", "aac"}));
        const double sound = RecorderTest::soundDuration(file);
        QVERIFY2(span.holds(sound), qPrintable(QString::number(sound)));

        // Across the pause the pictures follow on, none held and none repeated: a picture may
        // come late on a busy machine, but no step comes near the pause's own length.
        const Pictures pictures = picturesOf(file);
        QVERIFY(pictures.times.size() >= 2);
        const double pause = span.pausedLeast();
        QVERIFY(pause >= 1.0);
        for (size_t i = 1; i < pictures.times.size(); ++i)
            QVERIFY2(pictures.times[i] - pictures.times[i - 1] < pause / 2,
                     qPrintable(QString::number(pictures.times[i])));
        const std::set<QByteArray> distinct(pictures.digests.begin(), pictures.digests.end());
        QCOMPARE(distinct.size(), pictures.digests.size());
    }

    void photoIsNeverWrittenOverAndMakesItsFolder()
    {
        scSetSyntheticCamera(kPicture);
        CBasePtr<CCameraObject> camera = scOpenCamera(nullptr, SC_SYNTHETIC_CAMERA_NAME, nullptr);
        QVERIFY(camera);
        const QString photo = path(QStringLiteral("missing/folder/photo.jpg"));
        QVERIFY(SrTest::spinUntil([&] { return camera->Capture(QFile::encodeName(photo).constData()); }, 5000));
        QImageReader reader(photo);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(1280, 720));
        const QByteArray first = contents(photo);
        RecorderTest::spin(200);
        QVERIFY(!camera->Capture(QFile::encodeName(photo).constData()));
        QCOMPARE(contents(photo), first);
    }

    void cameraGoneEndsRecordingWithPlayableFile()
    {
        scSetSyntheticCamera(kShortCamera);
        const QString file = path(QStringLiteral("lost.mov"));
        CameraReports reports(file);
        CBasePtr<CCameraObject> camera = scOpenCamera(&reports, SC_SYNTHETIC_CAMERA_NAME, nullptr);
        QVERIFY(camera);
        QVERIFY(camera->StartRecord(QFile::encodeName(file).constData(), nullptr));
        QVERIFY(SrTest::spinUntil([&] { return reports.finished > 0; }, 30000));
        QCOMPARE(int(reports.error), int(SRE_CaptureLost));
        QVERIFY(!reports.failed);
        QVERIFY(!camera->IsRunning());
        QVERIFY(!camera->StopRecord());
        const MediaTest::Probe probe = MediaTest::probe(file);
        QCOMPARE(probe.decodeErrors, 0);
        QVERIFY(probe.videoFrames >= 30);
        QVERIFY(RecorderTest::durationOf(file) > 1.0);
    }
};

SR_TEST_DISPLAY(CameraTest)

#include "tst_camera.moc"
