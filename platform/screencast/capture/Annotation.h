#pragma once
// One drawing on the canvas (a shape, a stroke, a text, a callout, an erasure, a blur) and
// how it is painted. Plain values and functions; any thread, nothing shared.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

class QImage;
class QPainter;
class QPainterPath;

namespace capture {

// The blur strengths a blur tool takes, and the one it starts with.
constexpr int kMinBlurLevel = 1;
constexpr int kMaxBlurLevel = 20;
constexpr int kDefaultBlurLevel = 10;

struct Annotation {
    int shape = 0;         // CanvasShapes
    QColor color1;         // pen; for a callout the marker's fill
    QColor color2;         // a callout's ring and number
    double size = 1;       // pen width; text pixel size; callout radius
    QVector<QPointF> points; // shapes: start and end; strokes: the path; air brush: the dots; text, callout: the place
    QString text;          // the text tool's text
    QString fontFamily;
    int number = 0;        // the number a callout shows
    int blurLevel = 0;     // kMinBlurLevel to kMaxBlurLevel, for the blur tools

    // The dragged rectangle of a two-point drawing.
    QRectF dragRect() const;
    // True when the drawing covers nothing (a box or shape of no size, an empty text).
    bool isEmpty() const;
    // True for the tools that remove annotation pixels instead of adding them.
    bool erases() const;
};

// Paints `item` with `painter` in canvas coordinates. An erasure clears pixels (the painter
// must draw into the annotation layer); a blur draws the matching part of `blurred`, the
// picture under the canvas blurred at the item's level (nothing when it is null).
void paintAnnotation(QPainter& painter, const Annotation& item, const QImage* blurred);

// The area an erasure or a blur covers, in canvas coordinates.
QPainterPath coveredArea(const Annotation& item);

// The area `item` can touch, in canvas coordinates, with a margin for antialiasing.
QRectF boundsOf(const Annotation& item);

// `picture` blurred at `level` (1 to 20): scaled down by level + 1 and smoothly back up.
QImage blurredPicture(const QImage& picture, int level);

} // namespace capture
