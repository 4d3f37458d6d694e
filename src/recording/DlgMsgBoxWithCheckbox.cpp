#include "DlgMsgBoxWithCheckbox.h"

#include "OvProductInfo.h"
#include "OvSettings.h"
#include "ui_DlgMsgBoxWithCheckbox.h"

#include <QStyle>

DlgMsgBoxWithCheckbox::DlgMsgBoxWithCheckbox(QWidget* parent)
    : OvDialogBase(parent)
    , m_pUi(new Ui::DlgMsgBoxWithCheckbox)
{
    m_pUi->setupUi(this);
    postCreateDerivedDialog(false);
    setWindowTitle(OvProductInfo::instance()->productName());
    m_pUi->labelIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(40, 40));
    connect(m_pUi->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pUi->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

DlgMsgBoxWithCheckbox::~DlgMsgBoxWithCheckbox() { delete m_pUi; }

void DlgMsgBoxWithCheckbox::setText(const QString& text) { m_pUi->labelText->setText(text); }

void DlgMsgBoxWithCheckbox::setCheckText(const QString& text) { m_pUi->checkBox->setText(text); }

void DlgMsgBoxWithCheckbox::setButtonTexts(const QString& ok, const QString& cancel)
{
    m_pUi->btnOk->setText(ok);
    m_pUi->btnCancel->setText(cancel);
}

bool DlgMsgBoxWithCheckbox::isChecked() const { return m_pUi->checkBox->isChecked(); }

int DlgMsgBoxWithCheckbox::storedAnswer() const
{
    const QString key = registerKey();
    return key.isEmpty() ? 0 : OvSettings::instance()->applicationParam(key, 0).toInt();
}

int DlgMsgBoxWithCheckbox::ask()
{
    const int stored = storedAnswer();
    return stored != 0 ? stored : exec();
}

void DlgMsgBoxWithCheckbox::done(int result)
{
    if (result == QDialog::Accepted && isChecked() && !registerKey().isEmpty())
        OvSettings::instance()->setApplicationParam(registerKey(), result);
    OvDialogBase::done(result);
}
