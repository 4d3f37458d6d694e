#include "OvInputDialog.h"

#include "Framework.h"
#include "OvModalHook.h"

#include <QLineEdit>

OvInputDialog::OvInputDialog(QWidget* parent)
    : QInputDialog(parent)
{
    setInputMode(QInputDialog::TextInput);
    Framework::customizeWidgetStyle(this);
}

void OvInputDialog::setMaxInputLength(int length)
{
    m_maxLength = length;
    if (QLineEdit* edit = findChild<QLineEdit*>())
        edit->setMaxLength(length);
}

int OvInputDialog::exec()
{
    if (!OvModalHook::isActive())
        return QInputDialog::exec();
    OvModalRequest request;
    request.kind = OvModalRequest::InputDialog;
    request.widget = this;
    request.title = windowTitle();
    request.text = labelText();
    request.value = textValue();
    const QVariant answer = OvModalHook::answer(request);
    if (!answer.isValid()) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    QString text = answer.toString();
    if (m_maxLength > 0)
        text.truncate(m_maxLength);
    setTextValue(text);
    setResult(QDialog::Accepted);
    return QDialog::Accepted;
}
