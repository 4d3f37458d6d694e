#include "OvDialogBase.h"

#include "Framework.h"
#include "OvModalHook.h"
#include "OvWindowPlacement.h"

#include <QApplication>

#include <QMouseEvent>

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

void OvDialogBase::centreOn(QWidget* reference) { OvWindowPlacement::centreOn(this, reference); }

QRect OvDialogBase::keptInside(const QRect& dialog, const QRect& available)
{
    return OvWindowPlacement::keptInside(dialog, available);
}

QWidget* OvDialogBase::owningWindow(const QWidget* dialog)
{
    QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : QApplication::activeWindow();
    return owner && owner != dialog && owner->isVisible() ? owner : nullptr;
}

void OvDialogBase::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Qt's own centring leaves the place to the window manager, which puts the dialog where
    // it likes: a dialog nobody placed is moved itself, which the window manager keeps.
    if (!testAttribute(Qt::WA_Moved) && windowState() == Qt::WindowNoState)
        centreOn(owningWindow(this));
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
