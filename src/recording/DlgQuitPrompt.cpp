#include "DlgQuitPrompt.h"

#include "OvProductInfo.h"
#include "core/RecordParameter.h"

#include <QSystemTrayIcon>

DlgQuitPrompt::DlgQuitPrompt(QWidget* parent)
    : DlgMsgBoxWithCheckbox(parent)
{
    setObjectName(QStringLiteral("DlgQuitPrompt"));
    // Kept running, the program waits in the status area where the desktop has one, else in
    // its minimised window: the question names the place it will be found.
    const QString text = QSystemTrayIcon::isSystemTrayAvailable()
                             ? tr("Quit %1?\nChoose \"Keep Running\" to keep it ready in the status area.")
                             : tr("Quit %1?\nChoose \"Keep Running\" to keep it ready in its minimised window.");
    setText(text.arg(OvProductInfo::instance()->productName()));
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
