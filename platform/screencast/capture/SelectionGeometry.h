#pragma once
// The arithmetic of the selection overlay: handles, moving and resizing the selection, the
// size tip's text and the engine's rectangle conventions. Pure functions; any thread.

#include "ScreencastTypes.h"

#include <QPoint>
#include <QRect>
#include <QString>

namespace capture {

// What a point of the overlay grabs of a finished selection.
enum class SelectionHandle { None, Move, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };

namespace SelectionGeometry {

// The side of a handle's square.
constexpr int kHandleSize = 8;

// The square of `handle` (one of the eight resize handles) centred on the selection's edge.
QRect handleRect(const QRect& selection, SelectionHandle handle);
// The handle under `point`, Move inside the selection, None elsewhere.
SelectionHandle hitTest(const QRect& selection, const QPoint& point);
// `start` after the mouse moved by `delta` holding `handle`: moved whole (Move, kept inside
// `bounds` with its size) or with the handle's edges moved (cut to `bounds`; an edge dragged
// past the opposite one turns the rectangle over).
QRect dragged(const QRect& start, SelectionHandle handle, const QPoint& delta, const QRect& bounds);
// The rectangle a drag from `from` to `to` spans (the two corners, `to` exclusive), cut to `bounds`.
QRect spanned(const QPoint& from, const QPoint& to, const QRect& bounds);
// `format` with its first four "%d" replaced by `a`, `b`, `c`, `d` in order; nothing else of
// it is read as a format, so any text is safe.
QString fillTip(const QString& format, int a, int b, int c, int d);

// A rectangle with right and bottom exclusive, as the callbacks report it.
CRect toCRect(const QRect& rect);
// `rect` (right and bottom inclusive, the last column and row) moved by -`origin`.
QRect fromInclusive(const CRect& rect, const QPoint& origin);

} // namespace SelectionGeometry
} // namespace capture
