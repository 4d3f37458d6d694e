#include "DlgQuitPrompt.h"

#include "OvProductInfo.h"
#include "core/RecordParameter.h"

DlgQuitPrompt::DlgQuitPrompt(QWidget* parent)
    : DlgMsgBoxWithCheckbox(parent)
{
    setObjectName(QStringLiteral("DlgQuitPrompt"));
    setText(tr("Quit %1?\nChoose \"Keep Running\" to keep it ready in the status area.")
                .arg(OvProductInfo::instance()->productName()));
    setCheckText(tr("Always quit when the window is closed"));
    setButtonTexts(tr("Quit"), tr("Keep Running"));
}

DlgQuitPrompt::Answer DlgQuitPrompt::askQuit(QWidget* parent)
{
    if (RecordParameter::instance()->isCloseWhenClose())
        return Quit;
    DlgQuitPrompt dlg(parent);
    if (dlg.exec() != QDialog::Accepted)
        return KeepRunning;
    if (dlg.isChecked())
        RecordParameter::instance()->setCloseWhenClose(true);
    return Quit;
}
