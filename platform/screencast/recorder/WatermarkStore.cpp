#include "WatermarkStore.h"

#include "Log.h"
#include "ScRecorder.h"

#include <QImage>
#include <mutex>

namespace recorder {

namespace {
std::mutex g_mutex;
std::shared_ptr<const WatermarkPicture> g_picture;

std::shared_ptr<const WatermarkPicture> loadPicture(const char* path, int x, int y, int width, int height)
{
    QImage image(QString::fromLocal8Bit(path));
    if (image.isNull())
        return nullptr;
    if (width <= 0 || height <= 0) {
        width = image.width();
        height = image.height();
    }
    if (image.size() != QSize(width, height))
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_ARGB32);
    auto picture = std::make_shared<WatermarkPicture>();
    picture->x = x;
    picture->y = y;
    picture->w = width;
    picture->h = height;
    picture->pixels.resize(size_t(width) * size_t(height));
    for (int row = 0; row < height; ++row) {
        const uint32_t* line = reinterpret_cast<const uint32_t*>(image.constScanLine(row));
        std::copy(line, line + width, picture->pixels.begin() + ptrdiff_t(row) * width);
    }
    return picture;
}
} // namespace

namespace WatermarkStore {
bool set(const char* path, int x, int y, int width, int height)
{
    std::shared_ptr<const WatermarkPicture> picture;
    if (path && *path) {
        picture = loadPicture(path, x, y, width, height);
        if (!picture)
            Log("Screencast", 2, "watermark picture cannot be read: %s", path);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_picture = picture;
    return !path || !*path || picture;
}

std::shared_ptr<const WatermarkPicture> current()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_picture;
}
} // namespace WatermarkStore

} // namespace recorder

void SetWatermark(const char* path, int x, int y, int width, int height)
{
    recorder::WatermarkStore::set(path, x, y, width, height);
    Log("Screencast", 1, "SetWatermark %s (%d,%d %dx%d)", path ? path : "(none)", x, y, width, height);
}
