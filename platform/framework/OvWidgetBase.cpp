#include "OvWidgetBase.h"

#include "Framework.h"

OvWidgetBase::OvWidgetBase(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
}

void OvWidgetBase::postCreateDerivedWidget() { Framework::customizeWidgetStyle(this); }
