#include "DlgHotKeyMessage.h"

#include "OvSettings.h"
#include "core/SettingsKeys.h"
#include "hotkeys/FrameMASShotcut.h"
#include "ui_DlgHotKeyMessage.h"

#include <QEvent>
#include <QStyle>

const char* const DlgHotKeyMessage::kRemindKey = SettingsKeys::kHotkeyRemind;

namespace {
const int kIconSize = 32;
}

DlgHotKeyMessage::DlgHotKeyMessage(QWidget* parent)
    : OvDialogBase(parent)
    , m_pUi(new Ui::DlgHotKeyMessage)
{
    m_pUi->setupUi(this);
    // No close button: the reminder ends with OK.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) & ~Qt::WindowCloseButtonHint);
    m_pUi->lblWarningIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(kIconSize, kIconSize));
    connect(m_pUi->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    m_pUi->frmMASShortcut->setPreviousRecord();
    postCreateDerivedDialog(true, false, nullptr);
    ensurePolished();
    adjustSize();
}

DlgHotKeyMessage::~DlgHotKeyMessage() { delete m_pUi; }

bool DlgHotKeyMessage::isRemindOff()
{
    return OvSettings::instance()->applicationParam(QString::fromLatin1(kRemindKey), false).toBool();
}

FrameMASShotcut* DlgHotKeyMessage::hotkeyFrame() const { return m_pUi->frmMASShortcut; }

void DlgHotKeyMessage::done(int result)
{
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(kRemindKey), m_pUi->chbRemindAgain->isChecked());
    OvDialogBase::done(result);
}

void DlgHotKeyMessage::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        m_pUi->retranslateUi(this);
    OvDialogBase::changeEvent(event);
}
