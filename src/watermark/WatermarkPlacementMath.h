#pragma once
// The numbers of the placement editor, free of widgets: the scale between the preview and
// the recording, hit testing of the item's edges and corners, the item rectangle a drag
// gives, and the margins an item rectangle stands for. Pure functions, any thread.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class WatermarkPlacementMath {
public:
    // What a press on the item drags: bit 1 left, 2 top, 4 right, 8 bottom; corners combine
    // two edges and keep the aspect ratio; Move shifts the whole item.
    enum MouseDragMode {
        DragNone = 0,
        DragLeft = 1,
        DragTop = 2,
        DragRight = 4,
        DragBottom = 8,
        DragTopLeft = 3,
        DragTopRight = 6,
        DragBottomLeft = 9,
        DragBottomRight = 12,
        DragMove = 15,
    };
    // How far from an edge (preview pixels) a pointer still grabs it.
    static constexpr int kHitTolerance = 3;
    // Pictures with at least this many pixels are fitted into the recording's frame cap
    // before margins are measured.
    static constexpr qint64 kCappedPixels = 8294401;

    // Recording pixels per preview pixel for a background of `unscaled` pixels shown
    // `previewWidth` wide, including the frame cap of large recordings. 1.0 without a background.
    static double backgroundScale(const QSize& unscaled, int previewWidth);
    // A length converted between preview and recording pixels (truncated); -1 stays -1.
    static int convert(int value, double scale, bool toRecording);

    // True when `pos` is on the item or within the tolerance around it.
    static bool isNear(const QRect& item, const QPoint& pos);
    // The drag a press at `pos` starts on `item`.
    static MouseDragMode dragMode(const QRect& item, const QPoint& pos);
    // The item rectangle after dragging with `mode` from a press at `press` on an item that
    // was `start` to `pos` (clamped into `background`). Returns `start` when nothing moves.
    static QRect dragged(int mode, const QRect& start, const QPoint& press, const QPoint& pos,
                         const QRect& background);

    // Margins (top, right, bottom, left, preview pixels) of `item` inside `background`, both
    // in the same coordinates: each side nearer to the item's centre than the background's
    // centre is anchored by its distance to the background's edge; the other sides are -1.
    static QList<int> margins(const QRect& item, const QRect& background);
};
