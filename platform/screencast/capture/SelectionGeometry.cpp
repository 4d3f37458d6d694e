#include "capture/SelectionGeometry.h"

#include <QtMath>
#include <utility>

namespace capture {
namespace SelectionGeometry {

namespace {
bool movesLeft(SelectionHandle h)
{
    return h == SelectionHandle::TopLeft || h == SelectionHandle::Left || h == SelectionHandle::BottomLeft;
}
bool movesRight(SelectionHandle h)
{
    return h == SelectionHandle::TopRight || h == SelectionHandle::Right || h == SelectionHandle::BottomRight;
}
bool movesTop(SelectionHandle h)
{
    return h == SelectionHandle::TopLeft || h == SelectionHandle::Top || h == SelectionHandle::TopRight;
}
bool movesBottom(SelectionHandle h)
{
    return h == SelectionHandle::BottomLeft || h == SelectionHandle::Bottom || h == SelectionHandle::BottomRight;
}
} // namespace

QRect handleRect(const QRect& selection, SelectionHandle handle)
{
    // Edges as exclusive coordinates: the handles sit on the outline the overlay draws.
    const int left = selection.left();
    const int right = selection.left() + selection.width();
    const int top = selection.top();
    const int bottom = selection.top() + selection.height();
    const int x = movesLeft(handle) ? left : movesRight(handle) ? right : (left + right) / 2;
    const int y = movesTop(handle) ? top : movesBottom(handle) ? bottom : (top + bottom) / 2;
    if (handle == SelectionHandle::None || handle == SelectionHandle::Move)
        return QRect();
    return QRect(x - kHandleSize / 2, y - kHandleSize / 2, kHandleSize, kHandleSize);
}

SelectionHandle hitTest(const QRect& selection, const QPoint& point)
{
    if (selection.isEmpty())
        return SelectionHandle::None;
    static const SelectionHandle kHandles[] = {
        SelectionHandle::TopLeft,     SelectionHandle::Top,    SelectionHandle::TopRight,
        SelectionHandle::Right,       SelectionHandle::BottomRight, SelectionHandle::Bottom,
        SelectionHandle::BottomLeft,  SelectionHandle::Left,
    };
    for (SelectionHandle handle : kHandles)
        if (handleRect(selection, handle).contains(point))
            return handle;
    return selection.contains(point) ? SelectionHandle::Move : SelectionHandle::None;
}

QRect dragged(const QRect& start, SelectionHandle handle, const QPoint& delta, const QRect& bounds)
{
    if (handle == SelectionHandle::Move) {
        QRect moved = start.translated(delta);
        moved.moveLeft(qBound(bounds.left(), moved.left(), bounds.left() + bounds.width() - moved.width()));
        moved.moveTop(qBound(bounds.top(), moved.top(), bounds.top() + bounds.height() - moved.height()));
        return moved;
    }
    int left = start.left();
    int top = start.top();
    int right = start.left() + start.width();
    int bottom = start.top() + start.height();
    if (movesLeft(handle))
        left += delta.x();
    if (movesRight(handle))
        right += delta.x();
    if (movesTop(handle))
        top += delta.y();
    if (movesBottom(handle))
        bottom += delta.y();
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    return QRect(QPoint(left, top), QSize(right - left, bottom - top)).intersected(bounds);
}

QRect spanned(const QPoint& from, const QPoint& to, const QRect& bounds)
{
    const QPoint topLeft(qMin(from.x(), to.x()), qMin(from.y(), to.y()));
    const QSize size(qAbs(to.x() - from.x()), qAbs(to.y() - from.y()));
    return QRect(topLeft, size).intersected(bounds);
}

QString fillTip(const QString& format, int a, int b, int c, int d)
{
    const int numbers[] = {a, b, c, d};
    const QString token = QStringLiteral("%d");
    QString result;
    int used = 0;
    int from = 0;
    int at;
    while (used < 4 && (at = format.indexOf(token, from)) >= 0) {
        result += format.midRef(from, at - from);
        result += QString::number(numbers[used++]);
        from = at + token.size();
    }
    result += format.midRef(from);
    return result;
}

CRect toCRect(const QRect& rect)
{
    return CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

QRect fromInclusive(const CRect& rect, const QPoint& origin)
{
    const int left = qFloor(rect.left);
    const int top = qFloor(rect.top);
    const int right = qFloor(rect.right);
    const int bottom = qFloor(rect.bottom);
    return QRect(QPoint(left, top), QPoint(qMax(left, right), qMax(top, bottom))).translated(-origin);
}

} // namespace SelectionGeometry
} // namespace capture
