#pragma once
// Shared helpers of the watermark tests: a clean store, pictures made on the spot and a
// recorder of the hand-over calls to the engine.

#include "watermark/WaterMarkDataManage.h"
#include "watermark/WaterMarkHandOver.h"

#include "OvSettings.h"

#include <QFileInfo>

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

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
class HandOverRecorder {
public:
    HandOverRecorder()
    {
        WaterMarkHandOver::setFunction([this](const char* path, int x, int y, int w, int h) {
            calls.append({path == nullptr, path ? QFile::decodeName(path) : QString(), QRect(x, y, w, h)});
        });
    }
    ~HandOverRecorder() { WaterMarkHandOver::setFunction(nullptr); }
    QList<HandOverCall> calls;
};

} // namespace WmTest
