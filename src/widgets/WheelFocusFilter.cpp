#include "WheelFocusFilter.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

void WheelFocusFilter::install(QWidget* root)
{
    auto* filter = new WheelFocusFilter(root);
    QList<QWidget*> controls;
    for (QComboBox* combo : root->findChildren<QComboBox*>())
        controls << combo;
    for (QAbstractSpinBox* spin : root->findChildren<QAbstractSpinBox*>())
        controls << spin;
    for (QWidget* control : controls) {
        if (control->focusPolicy() == Qt::WheelFocus)
            control->setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(filter);
    }
}

bool WheelFocusFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    auto* control = static_cast<QWidget*>(watched);
    if (control->hasFocus())
        return false;
    // Left unaccepted, the wheel is passed on to the parents.
    event->ignore();
    return true;
}
