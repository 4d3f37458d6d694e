#include "OvMessageBox.h"

#include "Framework.h"
#include "OvDialogBase.h"
#include "OvModalHook.h"
#include "OvWindowPlacement.h"

#include <QPointer>

OvMessageBox::OvMessageBox(QWidget* parent, bool windowModal)
    : QMessageBox(parent)
{
    if (windowModal && parent)
        setWindowModality(Qt::WindowModal);
    setStandardButtons(QMessageBox::Ok);
    Framework::customizeWidgetStyle(this);
}

void OvMessageBox::setMsgTitle(const QString& text) { setWindowTitle(text); }

void OvMessageBox::setLabelInfo(const QString& text) { setText(text); }

void OvMessageBox::setIcon(int iconCode)
{
    switch (iconCode) {
    case IconWarning: QMessageBox::setIcon(QMessageBox::Warning); break;
    case IconCritical: QMessageBox::setIcon(QMessageBox::Critical); break;
    case IconQuestion: QMessageBox::setIcon(QMessageBox::Question); break;
    case IconNone: QMessageBox::setIcon(QMessageBox::NoIcon); break;
    default: QMessageBox::setIcon(QMessageBox::Information); break;
    }
}

void OvMessageBox::setButtons(int standardButtons)
{
    m_buttons = standardButtons;
    setStandardButtons(QMessageBox::StandardButtons(standardButtons));
}

void OvMessageBox::setDefaultButton(int standardButton)
{
    m_default = standardButton;
    QMessageBox::setDefaultButton(QMessageBox::StandardButton(standardButton));
}

int OvMessageBox::exec()
{
    if (OvModalHook::isActive()) {
        OvModalRequest request;
        request.kind = OvModalRequest::MessageBox;
        request.widget = this;
        request.title = windowTitle();
        request.text = text();
        request.buttons = m_buttons;
        request.defaultButton = m_default;
        const QVariant answer = OvModalHook::answer(request);
        return answer.isValid() ? answer.toInt() : int(QMessageBox::Cancel);
    }
    // The box may go with its parent while it runs: then it was cancelled.
    const QPointer<OvMessageBox> self(this);
    QMessageBox::exec();
    if (!self)
        return int(QMessageBox::Cancel);
    QAbstractButton* pressed = clickedButton();
    return pressed ? int(standardButton(pressed)) : int(QMessageBox::Cancel);
}

void OvMessageBox::showEvent(QShowEvent* event)
{
    // The box has its size only now; placed by us, the window manager keeps the place.
    QMessageBox::showEvent(event);
    OvWindowPlacement::centreOn(this, OvDialogBase::owningWindow(this));
}

int OvMessageBox::run(QWidget* parent, int icon, const QString& title, const QString& text, int buttons, int def)
{
    OvMessageBox box(parent);
    box.setMsgTitle(title);
    box.setLabelInfo(text);
    box.setIcon(icon);
    box.setButtons(buttons);
    if (def != QMessageBox::NoButton)
        box.setDefaultButton(def);
    return box.exec();
}

int OvMessageBox::information(QWidget* parent, const QString& title, const QString& text, int buttons, int def)
{
    return run(parent, IconInformation, title, text, buttons, def);
}

int OvMessageBox::question(QWidget* parent, const QString& title, const QString& text, int buttons, int def)
{
    return run(parent, IconQuestion, title, text, buttons, def);
}

int OvMessageBox::warning(QWidget* parent, const QString& title, const QString& text, int buttons, int def)
{
    return run(parent, IconWarning, title, text, buttons, def);
}
