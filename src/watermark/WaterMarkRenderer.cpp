#include "watermark/WaterMarkRenderer.h"

#include "watermark/WaterMarkData.h"

#include <QFontMetrics>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QScopedPointer>
#include <QStringList>
#include <climits>

namespace {
// The part of the scene drawn for an image of `size` at the origin: the requested border and
// everything the effect paints (a blurred shadow reaches beyond its offset, and shows all
// around the picture at offset 0).
QRectF effectCanvas(const QSizeF& size, const QGraphicsEffect& effect, int extendX, int extendY)
{
    return QRectF(-extendX, -extendY, size.width() + 2.0 * extendX, size.height() + 2.0 * extendY)
        .united(effect.boundingRectFor(QRectF(QPointF(0, 0), size)));
}

QGraphicsDropShadowEffect* shadowEffect(const ShadowParam& shadow)
{
    auto* effect = new QGraphicsDropShadowEffect();
    effect->setColor(shadow.m_clrShadow);
    effect->setOffset(shadow.m_OffsetX, shadow.m_OffsetY);
    effect->setBlurRadius(shadow.m_Blur);
    return effect;
}
} // namespace

bool WaterMarkRenderer::fitsPixelLimit(const QSizeF& size)
{
    return size.width() >= 0 && size.height() >= 0 && size.width() * size.height() <= double(kMaxPixels);
}

QImage WaterMarkRenderer::applyEffectToImage(const QImage& image, QGraphicsEffect* effect, int extendX, int extendY)
{
    if (image.isNull()) {
        delete effect;
        return QImage();
    }
    if (!effect)
        return image.copy();

    const QRectF canvas = effectCanvas(image.size(), *effect, extendX, extendY);
    if (!fitsPixelLimit(canvas.size())) {
        delete effect;
        return QImage();
    }
    const QRect source = canvas.toAlignedRect();

    QGraphicsScene scene;
    auto* item = new QGraphicsPixmapItem(QPixmap::fromImage(image));
    item->setGraphicsEffect(effect); // the item owns the effect from here on
    scene.addItem(item);
    scene.setSceneRect(source);

    QImage result(source.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    scene.render(&painter, QRectF(result.rect()), QRectF(source), Qt::KeepAspectRatio);
    painter.end();
    return result;
}

QImage WaterMarkRenderer::applyShadow(const QImage& image, const ShadowParam& shadow)
{
    if (!shadow.m_bShadow)
        return image;
    return applyEffectToImage(image, shadowEffect(shadow), shadow.m_OffsetX, shadow.m_OffsetY);
}

QImage WaterMarkRenderer::onApplyOpacityImg(const QImage& image, double opacity)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    QImage result(source.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setOpacity(opacity);
    painter.drawImage(result.rect(), source, source.rect());
    painter.end();
    return result;
}

bool WaterMarkRenderer::isWithoutEffect(const ShadowParam& shadow, double opacity)
{
    return !shadow.m_bShadow && opacity == 1.0;
}

QImage WaterMarkRenderer::applyEffects(const QImage& image, const ShadowParam& shadow, double opacity)
{
    QImage result = applyShadow(image, shadow);
    if (opacity != 1.0 && !result.isNull())
        result = onApplyOpacityImg(result, opacity);
    return result;
}

QSizeF WaterMarkRenderer::effectsSize(const QSizeF& size, const ShadowParam& shadow)
{
    if (!shadow.m_bShadow)
        return size;
    const QScopedPointer<QGraphicsEffect> effect(shadowEffect(shadow));
    return effectCanvas(size, *effect, shadow.m_OffsetX, shadow.m_OffsetY).size();
}

QImage WaterMarkRenderer::loadPicture(const QString& path)
{
    QImageReader reader(path);
    const QSize size = reader.size(); // from the header; invalid when the format cannot tell
    if (size.isValid() && !fitsPixelLimit(size))
        return QImage();
    return reader.read();
}

namespace {
// Where each line's letters reach from its pen position: a letter may start before the pen
// (a negative left bearing) and end past the advance (an italic overhang).
struct TextExtent {
    int left = 0;  // <= 0
    int right = 0; // >= the widest advance
};

TextExtent textExtent(const QStringList& lines, const QFontMetrics& metrics)
{
    TextExtent extent;
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        const QRect ink = metrics.boundingRect(line) | metrics.tightBoundingRect(line);
        extent.left = qMin(extent.left, ink.left());
        extent.right = qMax(extent.right, qMax(metrics.horizontalAdvance(line), ink.left() + ink.width()));
    }
    return extent;
}

QStringList textLines(const QString& text) { return text.split(QLatin1Char('\n'), Qt::KeepEmptyParts); }
} // namespace

QSize WaterMarkRenderer::textSize(const QString& text, const QFont& font)
{
    const QFontMetrics metrics(font);
    const QStringList lines = textLines(text);
    const TextExtent extent = textExtent(lines, metrics);
    const int width = extent.right - extent.left;
    if (lines.size() == 1)
        return QSize(width, metrics.boundingRect(text).height());
    // One line height per line; never less than the spacing the lines are drawn at.
    const int lineHeight = qMax(metrics.boundingRect(text).height(), metrics.lineSpacing());
    return QSize(width, int(qMin<qint64>(qint64(lines.size()) * lineHeight, INT_MAX)));
}

QImage WaterMarkRenderer::renderText(const QString& text, const QFont& font, const QColor& color)
{
    const QSize size = textSize(text, font);
    if (text.isEmpty() || size.isEmpty() || !fitsPixelLimit(size))
        return QImage();

    QImage image(size, QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(image.rect(), Qt::transparent);
    painter.setFont(font);
    painter.setPen(color.isValid() ? color : QColor(Qt::black));
    // The pen starts where a letter reaching left of it still fits. The text box starts at the
    // pen, so it must not clip: the picture itself is the bound.
    const int penX = -textExtent(textLines(text), QFontMetrics(font)).left;
    painter.drawText(image.rect().adjusted(penX, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
    painter.end();
    return image;
}

QRect WaterMarkRenderer::recordingFrame(const QSize& frameSize)
{
    const qint64 w = frameSize.width();
    const qint64 h = frameSize.height();
    QRect frame(0, 0, int(w), int(h));
    if (w > 0 && h > 0 && w * h > kMaxPixels) {
        const double s1 = double(kFrameWidthCap) / double(w);
        const double s2 = double(kFrameHeightCap) / double(h);
        if (s2 > s1)
            frame.setSize(QSize(kFrameWidthCap, int(h * kFrameWidthCap / w)));
        else
            frame.setSize(QSize(int(w * kFrameHeightCap / h), kFrameHeightCap));
    }
    return frame;
}

QRect WaterMarkRenderer::placement(const QRect& frame, const QSize& imageSize, const WaterMarkData& record)
{
    const int recW = frame.width();
    const int recH = frame.height();
    QSize s = (record.m_ItemSize.width() >= 0 && record.m_ItemSize.height() >= 0) ? record.m_ItemSize : imageSize;
    int w = s.width();
    int h = s.height();
    if (s.width() > recW || s.height() > recH) {
        const int maxW = int(recW * 0.8);
        const int maxH = int(recH * 0.8);
        const double rw = double(s.width()) / maxW;
        const double rh = double(s.height()) / maxH;
        w = maxW;
        h = maxH;
        if (rw > rh)
            h = int(s.height() / rw);
        else if (rh > rw)
            w = int(s.width() / rh);
    }

    const QList<int> m = record.m_lstMargin.size() >= 4 ? record.m_lstMargin : WaterMarkData::defaultMargins();
    const int top = m[0], right = m[1], bottom = m[2], left = m[3];
    QRect item(frame.topLeft(), QSize(w, h));
    if (top >= 0) {
        if (top + h <= recH)
            item.moveTop(top);
        else
            item.moveBottom(frame.bottom());
    }
    if (right >= 0) {
        if (right + w <= recW)
            item.moveRight(frame.right() + 1 - right);
        else
            item.moveRight(frame.left() + w);
    }
    if (bottom >= 0) {
        if (item.height() + bottom <= recH)
            item.moveBottom(frame.bottom() + 1 - bottom);
        else
            item.moveBottom(frame.top() + h);
    }
    if (left >= 0) {
        if (item.width() + left <= recW)
            item.moveLeft(left);
        else
            item.moveRight(frame.right());
    }
    if (top == -1 && bottom == -1)
        item.moveTop((frame.top() + frame.bottom()) / 2 - h / 2);
    if (right == -1 && left == -1)
        item.moveLeft((frame.left() + frame.right()) / 2 - w / 2);
    return item;
}
