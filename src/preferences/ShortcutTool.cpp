#include "ShortcutTool.h"

#include "OptionDialog.h"
#include "ui_ShortcutTool.h"

#include <QEvent>
#include <QIcon>
#include <QToolButton>

ShortcutTool::ShortcutTool(QWidget* parent)
    : QFrame(parent)
    , m_pUi(new Ui::ShortcutTool)
{
    m_pUi->setupUi(this);
    m_pUi->btnRecordSetting->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_record_settings.svg")));
    m_pUi->btnMouseSetting->setIcon(QIcon(QStringLiteral(":/sr/icons/cursor.svg")));
    m_pUi->btnHotkeySetting->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_hotkeys.svg")));
    m_pUi->btnOutputSetting->setIcon(QIcon(QStringLiteral(":/sr/icons/history_folder.svg")));
    for (QToolButton* button : {m_pUi->btnRecordSetting, m_pUi->btnMouseSetting, m_pUi->btnHotkeySetting,
                                m_pUi->btnOutputSetting})
        connect(button, &QToolButton::clicked, this, &ShortcutTool::onActionOptionsClicked);
}

ShortcutTool::~ShortcutTool()
{
    delete m_pUi;
}

OptionDialog* ShortcutTool::optionDialog() const { return m_pOptionDlg; }

void ShortcutTool::onActionOptionsClicked()
{
    const QObject* button = sender();
    int page = SP_RECORDING;
    if (button == m_pUi->btnMouseSetting)
        page = SP_MOUSE;
    else if (button == m_pUi->btnHotkeySetting)
        page = SP_HOTKEYS;
    else if (button == m_pUi->btnOutputSetting)
        page = SP_OUTPUT;
    emit sigShowOptionDlg(page);
}

void ShortcutTool::showOptionDlg(SETTINGPAGE page)
{
    if (m_pOptionDlg)
        return;
    const QPointer<ShortcutTool> self(this);
    QPointer<OptionDialog> dialog = new OptionDialog(this);
    m_pOptionDlg = dialog;
    dialog->showSettingPage(page);
    dialog->init();
    dialog->adjustSize();
    dialog->ensurePolished();
    dialog->exec();
    // Deleted only now that its modal run (and every question it asked) has returned, also
    // when hideOptionDlg closed it meanwhile. The strip itself may have gone with its window.
    delete dialog;
    if (!self)
        return;
    m_pOptionDlg = nullptr;
    emit sigHideOptionDlg();
}

void ShortcutTool::hideOptionDlg()
{
    if (!m_pOptionDlg || m_pOptionDlg->isHidden())
        return;
    OptionDialog* dialog = m_pOptionDlg;
    // Its own questions (the close question, a chooser, a picker) end first, innermost
    // first. The dialog object stays recorded, so that no second one opens, until
    // showOptionDlg's modal run has returned into it.
    const QList<QDialog*> nested = dialog->findChildren<QDialog*>();
    for (int i = nested.size() - 1; i >= 0; --i)
        if (nested[i]->isVisible())
            nested[i]->reject();
    dialog->reject();
}

void ShortcutTool::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        m_pUi->retranslateUi(this);
}
