#include "OvColorDialog.h"

#include "Framework.h"
#include "OvModalHook.h"

OvColorDialog::OvColorDialog(QWidget* parent)
    : QColorDialog(parent)
{
    Framework::customizeWidgetStyle(this);
}

OvColorDialog::OvColorDialog(const QColor& initial, QWidget* parent)
    : QColorDialog(initial, parent)
{
    Framework::customizeWidgetStyle(this);
}

int OvColorDialog::exec()
{
    if (!OvModalHook::isActive())
        return QColorDialog::exec();
    OvModalRequest request;
    request.kind = OvModalRequest::ColorDialog;
    request.widget = this;
    request.title = windowTitle();
    const QVariant answer = OvModalHook::answer(request);
    const QColor chosen = answer.value<QColor>();
    if (!answer.isValid() || !chosen.isValid()) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    setCurrentColor(chosen);
    done(QDialog::Accepted); // makes selectedColor() the chosen colour
    return QDialog::Accepted;
}
