#pragma once
// Writes a picture to a new file in one of the image capture's formats. Any thread.

#include <QImage>
#include <QString>

namespace capture {
namespace ImageWriter {

// Writes `image` to `path` as `format` (ImageCaptureFormat): PNG, JPEG (flattened on white),
// BMP, GIF (256 colours) or TIFF. Returns false when the format is unknown, the image is
// null, something is already at `path` (it is never replaced) or the file cannot be written;
// a file it began to write is then removed.
bool write(const QImage& image, int format, const QString& path);

// `image` encoded as a GIF file; empty when it cannot be encoded.
QByteArray encodeGif(const QImage& image);

} // namespace ImageWriter
} // namespace capture
