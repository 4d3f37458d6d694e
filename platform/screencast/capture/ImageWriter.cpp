#include "capture/ImageWriter.h"

#include "Log.h"
#include "ScImageCapture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace capture {
namespace ImageWriter {

namespace {
const int kJpegQuality = 90;
const int kPaletteSize = 256;

QImage flattened(const QImage& image)
{
    QImage result(image.size(), QImage::Format_RGB888);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

QByteArray encodeWithQt(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        return QByteArray();
    return bytes;
}

// One PAL8 picture through libavcodec's GIF encoder into libavformat's GIF muxer, in memory.
class GifEncoder {
public:
    ~GifEncoder()
    {
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_codec);
        if (m_format) {
            if (m_format->pb) {
                uint8_t* data = nullptr;
                avio_close_dyn_buf(m_format->pb, &data);
                av_free(data);
            }
            avformat_free_context(m_format);
        }
    }

    QByteArray encode(const QImage& indexed)
    {
        const AVCodec* gif = avcodec_find_encoder(AV_CODEC_ID_GIF);
        if (!gif || avformat_alloc_output_context2(&m_format, nullptr, "gif", nullptr) < 0)
            return QByteArray();
        m_codec = avcodec_alloc_context3(gif);
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_codec || !m_frame || !m_packet)
            return QByteArray();
        m_codec->width = indexed.width();
        m_codec->height = indexed.height();
        m_codec->pix_fmt = AV_PIX_FMT_PAL8;
        m_codec->time_base = AVRational{1, 1};
        AVStream* stream = avformat_new_stream(m_format, nullptr);
        if (!stream || avcodec_open2(m_codec, gif, nullptr) < 0
            || avcodec_parameters_from_context(stream->codecpar, m_codec) < 0)
            return QByteArray();
        stream->time_base = m_codec->time_base;
        if (avio_open_dyn_buf(&m_format->pb) < 0 || avformat_write_header(m_format, nullptr) < 0)
            return QByteArray();
        if (!fillFrame(indexed) || !writePackets(m_frame) || !writePackets(nullptr) || av_write_trailer(m_format) < 0)
            return QByteArray();
        uint8_t* data = nullptr;
        const int size = avio_close_dyn_buf(m_format->pb, &data);
        m_format->pb = nullptr;
        QByteArray bytes(reinterpret_cast<const char*>(data), size);
        av_free(data);
        return bytes;
    }

private:
    bool fillFrame(const QImage& indexed)
    {
        m_frame->format = AV_PIX_FMT_PAL8;
        m_frame->width = indexed.width();
        m_frame->height = indexed.height();
        m_frame->pts = 0;
        if (av_frame_get_buffer(m_frame, 0) < 0)
            return false;
        for (int y = 0; y < indexed.height(); ++y)
            std::memcpy(m_frame->data[0] + size_t(y) * m_frame->linesize[0], indexed.constScanLine(y),
                        size_t(indexed.width()));
        // The palette: 256 entries of 32-bit ARGB in native order, as QImage keeps its table.
        uint32_t* palette = reinterpret_cast<uint32_t*>(m_frame->data[1]);
        const QVector<QRgb> table = indexed.colorTable();
        for (int i = 0; i < kPaletteSize; ++i)
            palette[i] = i < table.size() ? (table.at(i) | 0xff000000u) : 0xff000000u;
        return true;
    }

    // Sends `frame` (null: the end) and writes the packets that come out.
    bool writePackets(AVFrame* frame)
    {
        if (avcodec_send_frame(m_codec, frame) < 0)
            return false;
        for (;;) {
            const int received = avcodec_receive_packet(m_codec, m_packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (received < 0)
                return false;
            m_packet->stream_index = 0;
            const int written = av_write_frame(m_format, m_packet);
            av_packet_unref(m_packet);
            if (written < 0)
                return false;
        }
    }

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
};

QByteArray encode(const QImage& image, int format)
{
    switch (format) {
    case ICF_PNG: return encodeWithQt(image, "PNG");
    case ICF_JPEG:
    case ICF_JPEG2: return encodeWithQt(flattened(image), "JPEG", kJpegQuality);
    case ICF_BMP: return encodeWithQt(flattened(image), "BMP");
    case ICF_GIF: return encodeGif(image);
    case ICF_TIFF: return encodeWithQt(image, "TIFF");
    default: return QByteArray();
    }
}
} // namespace

QByteArray encodeGif(const QImage& image)
{
    const QImage indexed = flattened(image).convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    return GifEncoder().encode(indexed);
}

bool write(const QImage& image, int format, const QString& path)
{
    if (image.isNull())
        return false;
    const QByteArray bytes = encode(image, format);
    if (bytes.isEmpty()) {
        Log("Screencast", 2, "image format %d: the picture cannot be encoded", format);
        return false;
    }
    QFile file(path);
    // NewOnly fails when anything (a file, a link) is at the path: nothing there is replaced.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        Log("Screencast", 2, "image %s cannot be created: %s", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        Log("Screencast", 2, "image %s cannot be written: %s", qPrintable(path), qPrintable(file.errorString()));
        file.remove();
        return false;
    }
    return true;
}

} // namespace ImageWriter
} // namespace capture
