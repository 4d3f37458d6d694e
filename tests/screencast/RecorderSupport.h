#pragma once
// Shared by the recorder tests: a callback that keeps every report, recording for a while
// with the event loop running, reading pictures and sizes back from a recording, and the
// recording boundary on the screen.

#include "ScRecorder.h"
#include "ScEngine.h"
#include "TestEnv.h"
#include "core/RecordBoundary.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include "RecordedSpan.h"
#include <QFile>
#include <QImage>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <cmath>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace RecorderTest {

// Full-range R', G', B' (0 to 1) into limited-range BT.709 Y', Cb, Cr levels, rounded.
inline void bt709Levels(double r, double g, double b, int levels[3])
{
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    levels[0] = int(std::lround(16 + 219 * y));
    levels[1] = int(std::lround(128 + 224 * (b - y) / 1.8556));
    levels[2] = int(std::lround(128 + 224 * (r - y) / 1.5748));
}

class Reports : public CRecoderCallback {
public:
    void OnRecordError(int code) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        errors.push_back(code);
    }
    void OnRecordRectChanged(const CRect& rect) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        rects.push_back(rect);
    }
    std::vector<int> errorList()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return errors;
    }
    std::vector<CRect> rectList()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return rects;
    }

private:
    std::mutex mutex;
    std::vector<int> errors;
    std::vector<CRect> rects;
};

// Runs the event loop for `ms` milliseconds.
inline void spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

using SrTest::kLastFrame;
using SrTest::kLateStart;

// A plain coloured top-level window at a place of the screen.
inline std::unique_ptr<QWidget> colouredWindow(const QColor& colour, const QRect& geometry)
{
    std::unique_ptr<QWidget> window(new QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, colour);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setGeometry(geometry);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("the window did not show");
    spin(300);
    return window;
}

// Starts `recorder`, lets it record `beforeMs`, pauses it for `pausedMs`, lets it record
// `afterMs` more and stops it, each call timed in `span`. True when it started and stopped.
inline bool recordWithPause(CScreenRecorderObject* recorder, SrTest::RecordedSpan& span, int beforeMs, int pausedMs,
                            int afterMs)
{
    if (!span.mark([&] { return recorder->Start(); }))
        return false;
    spin(beforeMs);
    span.mark([&] { recorder->Pause(); });
    spin(pausedMs);
    span.mark([&] { recorder->Resume(); });
    spin(afterMs);
    return span.mark([&] { return recorder->Stop(); });
}

struct Result {
    SrTest::RecordedSpan span; // the start and stop calls, timed
    bool created = false;
    bool started = false;
    bool stopped = false;
    double duration = 0; // as the recorder reported it
    int64_t dropped = 0;
};

// Records for `seconds` while the event loop runs; `during(elapsedMs)` is called on the way.
inline Result record(Reports& reports, const ScVideoOptions& video, const QString& path, double seconds,
                     const ScAudioOptions& audio = ScAudioOptions(), const ScMouseOptions& mouse = ScMouseOptions(),
                     const std::function<void(CScreenRecorderObject*, qint64)>& during = {})
{
    Result result;
    CBasePtr<CScreenRecorderObject> recorder
        = scVideoRecord(&reports, video, mouse, audio, QFile::encodeName(path).constData());
    result.created = bool(recorder);
    if (!recorder)
        return result;
    result.started = result.span.mark([&] { return recorder->Start(); });
    if (!result.started)
        return result;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        if (during)
            during(recorder.get(), timer.elapsed());
        spin(20);
    }
    result.stopped = result.span.mark([&] { return recorder->Stop(); });
    result.duration = recorder->GetDuration();
    result.dropped = recorder->GetDroppedFrames();
    return result;
}

inline QSize videoSize(const QString& path)
{
    int width = 0;
    int height = 0;
    scGetMediaInfo(QFile::encodeName(path).constData(), nullptr, &width, &height);
    return QSize(width, height);
}

inline double durationOf(const QString& path)
{
    double seconds = 0;
    scGetMediaInfo(QFile::encodeName(path).constData(), &seconds, nullptr, nullptr);
    return seconds;
}

// Length of the first sound stream, as ffprobe reads it.
inline double soundDuration(const QString& path)
{
    QByteArray output;
    SrTest::run(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "a:0", "-show_entries", "stream=duration",
                                            "-of", "csv=p=0", path},
                30000, &output);
    return output.trimmed().toDouble();
}

inline CRect rectOf(int x, int y, int w, int h) { return CRect(x, y, x + w, y + h); }

// The recording boundary while it is on the screen.
inline RecordBoundary* shownBoundary()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* boundary = qobject_cast<RecordBoundary*>(widget); boundary && boundary->isVisible())
            return boundary;
    return nullptr;
}
} // namespace RecorderTest
