#include "NinePatch.h"

#include <QPainter>

QPixmap NinePatch(const QPixmap* source, int cw, int ch, int w, int h)
{
    if (w <= 0 || h <= 0)
        return QPixmap();
    QPixmap result(w, h);
    result.fill(Qt::transparent);
    if (!source || source->isNull() || cw < 0 || ch < 0)
        return result;
    const int W = source->width();
    const int H = source->height();
    // Both the source and the target must hold two corners in each direction.
    if (W < 2 * cw || H < 2 * ch || w < 2 * cw || h < 2 * ch)
        return result;
    const int midW = W - 2 * cw, midH = H - 2 * ch; // source middle
    const int toW = w - 2 * cw, toH = h - 2 * ch;   // target middle
    auto stretched = [&](int x, int y, int sw, int sh, int tw, int th) {
        return source->copy(x, y, sw, sh).scaled(tw, th, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    };
    QPainter painter(&result);
    painter.drawPixmap(0, 0, source->copy(0, 0, cw, ch));
    painter.drawPixmap(w - cw, 0, source->copy(W - cw, 0, cw, ch));
    painter.drawPixmap(0, h - ch, source->copy(0, H - ch, cw, ch));
    painter.drawPixmap(w - cw, h - ch, source->copy(W - cw, H - ch, cw, ch));
    if (midW > 0 && toW > 0) {
        painter.drawPixmap(cw, 0, stretched(cw, 0, midW, ch, toW, ch));
        painter.drawPixmap(cw, h - ch, stretched(cw, H - ch, midW, ch, toW, ch));
    }
    if (midH > 0 && toH > 0) {
        painter.drawPixmap(0, ch, stretched(0, ch, cw, midH, cw, toH));
        painter.drawPixmap(w - cw, ch, stretched(W - cw, ch, cw, midH, cw, toH));
    }
    if (midW > 0 && midH > 0 && toW > 0 && toH > 0)
        painter.drawPixmap(cw, ch, stretched(cw, ch, midW, midH, toW, toH));
    return result;
}
