#pragma once
// Keeps the mouse wheel for scrolling a page: a list box or spin box under the pointer takes
// the wheel only while it has the keyboard focus; otherwise the wheel goes on to its parents
// (the scroll area). It takes the focus from a click or Tab, not from the wheel. One filter
// serves every control it is installed on; GUI thread.

#include <QObject>

class QWidget;

class WheelFocusFilter : public QObject {
    Q_OBJECT
public:
    // Installs the filter on every list box and spin box in `root` (made now).
    static void install(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
