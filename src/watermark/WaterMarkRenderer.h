#pragma once
// The pure picture work of watermarks: the drop shadow, the opacity, the text picture and
// the placement inside a recorded frame. No state; every function may be called from any
// thread (the rendering worker calls the effect functions from its own thread).

#include "watermark/ShadowParam.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QSizeF>

class QGraphicsEffect;
class WaterMarkData;

class WaterMarkRenderer {
public:
    // The largest frame a watermark is placed in; a recording with more pixels is fitted into it.
    static constexpr int kFrameWidthCap = 3840;
    static constexpr int kFrameHeightCap = 2160;
    // The most pixels a watermark picture may have, effects included: as many as that frame
    // holds. A larger one could only be shown scaled down, and rendering it costs memory and
    // time out of all proportion.
    static constexpr qint64 kMaxPixels = qint64(kFrameWidthCap) * kFrameHeightCap;
    static bool fitsPixelLimit(const QSizeF& size);

    // The image drawn through `effect` onto a transparent canvas grown by at least
    // `extendX`/`extendY` on each side and always by what the effect paints outside the
    // image, so the effect is never cut off. Null image in, null image out; a null
    // effect gives a copy; null when the canvas would have more pixels than the limit.
    // Takes ownership of `effect`.
    static QImage applyEffectToImage(const QImage& image, QGraphicsEffect* effect, int extendX, int extendY);
    // The image with the shadow applied when it is on; a copy otherwise.
    static QImage applyShadow(const QImage& image, const ShadowParam& shadow);
    // The image redrawn on a transparent 32-bit ARGB canvas through the given opacity (0..1).
    static QImage onApplyOpacityImg(const QImage& image, double opacity);
    // True when neither a shadow nor an opacity below 100 % is to be applied.
    static bool isWithoutEffect(const ShadowParam& shadow, double opacity);
    // Shadow first, then opacity: what the cache holds for a source picture.
    static QImage applyEffects(const QImage& image, const ShadowParam& shadow, double opacity);
    // The size applyEffects gives a picture of `size`, worked out without drawing.
    static QSizeF effectsSize(const QSizeF& size, const ShadowParam& shadow);
    // The picture file decoded; null when it cannot be read or, judged from its header before
    // anything is decoded, when it has more pixels than the limit.
    static QImage loadPicture(const QString& path);

    // The text of a text watermark as a transparent picture: each line drawn left-aligned,
    // the picture as wide as the widest line and one line height per line. Null for an
    // empty text and for one whose picture would have more pixels than the limit.
    static QImage renderText(const QString& text, const QFont& font, const QColor& color);
    // The size of renderText's picture, measured without drawing.
    static QSize textSize(const QString& text, const QFont& font);

    // The frame in which margins and item size are measured: the recorded frame at
    // (0, 0), fitted into the frame cap when it has more pixels than that.
    static QRect recordingFrame(const QSize& frameSize);
    // Where an image of `imageSize` goes inside `frame` by the record's item size and margins.
    static QRect placement(const QRect& frame, const QSize& imageSize, const WaterMarkData& record);
};
