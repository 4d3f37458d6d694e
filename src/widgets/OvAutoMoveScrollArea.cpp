#include "OvAutoMoveScrollArea.h"

#include <QScrollBar>

OvAutoMoveScrollArea::OvAutoMoveScrollArea(QWidget* parent)
    : QScrollArea(parent)
{
}

void OvAutoMoveScrollArea::ensureWidgetVisible(QWidget* childWidget, int xmargin, int ymargin)
{
    QWidget* contents = widget();
    if (!childWidget || !contents || !contents->isAncestorOf(childWidget))
        return;

    const QRect area = QRect(childWidget->mapTo(contents, QPoint(0, 0)), childWidget->size());
    verticalScrollBar()->setValue(area.top() - ymargin);

    QScrollBar* horizontal = horizontalScrollBar();
    const int viewWidth = viewport()->width();
    const int left = horizontal->value();
    if (area.left() - xmargin < left)
        horizontal->setValue(area.left() - xmargin);
    else if (area.right() + xmargin > left + viewWidth)
        horizontal->setValue(qMin(area.left() - xmargin, area.right() + xmargin - viewWidth));
}
