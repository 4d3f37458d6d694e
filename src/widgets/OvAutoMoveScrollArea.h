#pragma once
// Scroll area that shows a child widget from its top: ensureWidgetVisible scrolls until the
// widget's top edge (less the margin) is at the top of the view, as far as the content allows,
// even when the widget was already visible lower down. GUI thread.

#include <QScrollArea>

class OvAutoMoveScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit OvAutoMoveScrollArea(QWidget* parent = nullptr);

    // Brings `childWidget` (a widget inside the scrolled contents) into view, its top edge
    // `ymargin` pixels below the top of the view where the content allows; horizontally it
    // moves only as far as needed to show the widget with `xmargin` pixels around it.
    // Widgets outside the contents are ignored.
    void ensureWidgetVisible(QWidget* childWidget, int xmargin = 50, int ymargin = 50);
};
