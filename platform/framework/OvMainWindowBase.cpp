#include "OvMainWindowBase.h"

#include "Framework.h"

OvMainWindowBase::OvMainWindowBase(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
}

void OvMainWindowBase::postCreateDerivedMainWindow() { Framework::customizeWidgetStyle(this); }
