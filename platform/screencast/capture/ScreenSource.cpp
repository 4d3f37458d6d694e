#include "capture/ScreenSource.h"

#include "Log.h"
#include "recorder/ScreenCapture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstring>

extern "C" {
#include <libavcodec/packet.h>
#include <libavdevice/avdevice.h>
}

namespace capture {

namespace {
const int kBytesPerPixel = 4;
// The grabber waits for its next frame before it delivers one: a high rate keeps that short.
const int kGrabFrameRate = 60;

// One frame of the X display's area `area` (device pixels) from the recorder's grabber.
QImage grabX11(const QRect& area)
{
    avdevice_register_all();
    recorder::ScreenCapture capture;
    recorder::ScreenCapture::Settings settings;
    settings.x = area.x();
    settings.y = area.y();
    settings.width = area.width();
    settings.height = area.height();
    settings.frameRate = kGrabFrameRate;
    settings.drawCursor = false;
    if (!capture.open(settings))
        return QImage();
    AVPacket* packet = av_packet_alloc();
    QImage image;
    int originX = 0;
    int originY = 0;
    const int rowBytes = area.width() * kBytesPerPixel;
    if (packet && capture.read(packet, &originX, &originY) && packet->size >= rowBytes * area.height()) {
        // 32-bit BGRA rows, which is QImage's RGB32 in memory.
        const int stride = packet->size / area.height();
        image = QImage(area.size(), QImage::Format_RGB32);
        for (int y = 0; y < area.height(); ++y)
            std::memcpy(image.scanLine(y), packet->data + size_t(y) * stride, size_t(rowBytes));
    }
    av_packet_free(&packet);
    return image;
}

class RealScreenSource : public ScreenSource {
public:
    QImage grab(QScreen* screen) override
    {
        const qreal ratio = screen->devicePixelRatio();
        const QRect logical = screen->geometry();
        QImage image;
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            const QRect pixels(logical.topLeft() * ratio, logical.size() * ratio);
            image = grabX11(pixels);
        } else {
            image = screen->grabWindow(0).toImage();
        }
        if (image.isNull()) {
            Log("Screencast", 2, "the display %s cannot be grabbed", qPrintable(screen->name()));
            return image;
        }
        image.setDevicePixelRatio(ratio);
        return image;
    }
};

RealScreenSource g_real;
ScreenSource* g_installed = nullptr;
} // namespace

ScreenSource* ScreenSource::current() { return g_installed ? g_installed : &g_real; }

void ScreenSource::install(ScreenSource* source) { g_installed = source; }

} // namespace capture
