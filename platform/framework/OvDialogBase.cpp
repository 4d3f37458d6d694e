#include "OvDialogBase.h"

#include "Framework.h"
#include "OvModalHook.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

OvDialogBase::OvDialogBase(QWidget* parent, Qt::WindowFlags flags, bool frameless)
    : QDialog(parent, flags | (frameless ? Qt::FramelessWindowHint : Qt::WindowFlags()))
{
}

void OvDialogBase::postCreateDerivedDialog(bool movable, bool, QMenuBar*)
{
    m_movable = movable;
    Framework::customizeWidgetStyle(this);
}

void OvDialogBase::adjuestDlgSizeAndShow(QWidget* reference)
{
    adjustSize();
    centreOn(reference);
    show();
}

void OvDialogBase::centreOn(QWidget* reference)
{
    QRect area;
    QScreen* screen = nullptr;
    if (reference && reference->isVisible()) {
        area = reference->frameGeometry();
        screen = QGuiApplication::screenAt(area.center());
        if (!screen)
            screen = reference->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!area.isValid() && screen)
        area = screen->availableGeometry();
    if (!area.isValid())
        return;
    // A reference near a screen corner would put a larger dialog partly off the screen.
    QRect placed(area.center() - rect().center(), frameGeometry().size());
    if (screen)
        placed = keptInside(placed, screen->availableGeometry());
    move(placed.topLeft());
}

QRect OvDialogBase::keptInside(const QRect& dialog, const QRect& available)
{
    QRect placed = dialog;
    if (!available.isValid())
        return placed;
    if (placed.right() > available.right())
        placed.moveRight(available.right());
    if (placed.bottom() > available.bottom())
        placed.moveBottom(available.bottom());
    if (placed.left() < available.left())
        placed.moveLeft(available.left());
    if (placed.top() < available.top())
        placed.moveTop(available.top());
    return placed;
}

int OvDialogBase::exec() { return OvModalHook::execDialog(this); }

void OvDialogBase::mousePressEvent(QMouseEvent* event)
{
    if (m_movable && event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPos() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void OvDialogBase::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        move(event->globalPos() - m_dragOffset);
    QDialog::mouseMoveEvent(event);
}

void OvDialogBase::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
