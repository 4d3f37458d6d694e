#pragma once
// Shared helpers of the watermark tests: a clean store, pictures made on the spot and a
// recorder of the hand-over calls to the engine.

#include "watermark/WaterMarkDataManage.h"
#include "services/PlatformSeam.h"
#include "watermark/WaterMarkHandOver.h"

#include "OvSettings.h"
#include "TestEnv.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QRect>
#include <QTest>

namespace WmTest {

inline QString folder() { return QFileInfo(WaterMarkDataManage::instance()->getWaterMarkDataSavePath(true)).absolutePath(); }

// Empties the watermark folder and the selection, then restarts the store.
inline WaterMarkDataManage* freshStore()
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    QDir(folder()).removeRecursively();
    OvSettings::instance()->setApplicationParam(QStringLiteral("WatermarkIndex"), -1);
    store->reload();
    return store;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// An opaque picture of one colour.
inline QString makePicture(const QString& path, const QSize& size, const QColor& color, const char* format = nullptr)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image.save(path, format) ? path : QString();
}

struct HandOverCall {
    bool isNull;
    QString path;
    QRect rect;
};

// Records every hand-over to the engine while it lives.
class HandOverRecorder : public PlatformSeam {
public:
    HandOverRecorder() : m_previous(PlatformSeam::install(this)) {}
    ~HandOverRecorder() override { PlatformSeam::install(m_previous); }
    void setWatermark(const char* path, int x, int y, int w, int h) override
    {
        calls.append({path == nullptr, path ? QFile::decodeName(path) : QString(), QRect(x, y, w, h)});
    }
    QList<HandOverCall> calls;

private:
    PlatformSeam* m_previous;
};

// Records two seconds of the screen's top-left `frame` (MP4, no sound, no cursor) through
// the recorder facade, with whatever watermark the store has picked; returns the frame at
// one second, or a null image when the recording failed.
inline QImage recordedFrame(const QSize& frame)
{
    RecordParameter* p = RecordParameter::instance();
    p->setVideoRect(QRect(QPoint(0, 0), frame));
    p->setSystemAudioEnable(false);
    p->setMouseRecorder(false);
    p->setUsedVideoFmt(RP_FMT_MP4);
    p->setVideoOpt(15, RP_CODEC_H264, RP_QUALITY_MEDIUM);
    ScreenRecorder* recorder = ScreenRecorder::instance();
    if (!recorder->recordVideo() || !recorder->start())
        return QImage();
    QTest::qWait(2000);
    if (!recorder->stop())
        return QImage();
    return SrTest::frameAt(recorder->outputPath(), 1.0);
}
} // namespace WmTest
