#include "ShadowSetDlg.h"

#include "ui_ShadowSetDlg.h"
#include "watermark/ShadowParam.h"
#include "widgets/WheelFocusFilter.h"

#include <QImage>

ShadowSetDlg::ShadowSetDlg(QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , m_pUi(new Ui::ShadowSetDlg)
{
    m_pUi->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    // The translucent window shows only what its frame paints.
    m_pUi->frmBg->setAutoFillBackground(true);
    WheelFocusFilter::install(this);
    connect(m_pUi->spinX, QOverload<int>::of(&QSpinBox::valueChanged), this, &ShadowSetDlg::onOffsetChagned);
    connect(m_pUi->spinY, QOverload<int>::of(&QSpinBox::valueChanged), this, &ShadowSetDlg::onOffsetChagned);
    connect(m_pUi->spinVague, QOverload<int>::of(&QSpinBox::valueChanged), this, &ShadowSetDlg::onVagueChagned);
    connect(m_pUi->frmColor, &PicClrFrm::sigSelColor, this, &ShadowSetDlg::onSelColor);
    connect(m_pUi->checkBoxShadow, &QCheckBox::stateChanged, this, &ShadowSetDlg::onApplyShadow);
}

ShadowSetDlg::~ShadowSetDlg() { delete m_pUi; }

void ShadowSetDlg::setShadowParam(ShadowParam* param, QImage* image)
{
    Q_ASSERT(param && image);
    if (!param || !image)
        return;
    m_pParam = param;
    m_pImage = image;
    {
        const QSignalBlocker blockX(m_pUi->spinX);
        const QSignalBlocker blockY(m_pUi->spinY);
        m_pUi->spinX->setRange(0, image->width());
        m_pUi->spinX->setValue(param->m_OffsetX);
        m_pUi->spinY->setRange(0, image->height());
        m_pUi->spinY->setValue(param->m_OffsetY);
    }
    // Live signals: a stored blur beyond the range is clamped, stored and announced.
    m_pUi->spinVague->setRange(0, kMaxBlur);
    m_pUi->spinVague->setValue(param->m_Blur);
    if (m_pUi->spinVague->value() != param->m_Blur)
        onVagueChagned();
    m_pUi->frmColor->setClr(param->m_clrShadow);
    m_pUi->frmColor->setAlign(true);
    m_pUi->checkBoxShadow->setChecked(param->m_bShadow);
    m_pUi->frmShadow->setEnabled(param->m_bShadow);
}

void ShadowSetDlg::onOffsetChagned()
{
    if (!m_pParam)
        return;
    const int x = m_pUi->spinX->value();
    const int y = m_pUi->spinY->value();
    if (x == m_pParam->m_OffsetX && y == m_pParam->m_OffsetY)
        return;
    m_pParam->m_OffsetX = x;
    m_pParam->m_OffsetY = y;
    emit sigImgChanged();
}

void ShadowSetDlg::onVagueChagned()
{
    if (!m_pParam || m_pUi->spinVague->value() == m_pParam->m_Blur)
        return;
    m_pParam->m_Blur = m_pUi->spinVague->value();
    emit sigImgChanged();
}

void ShadowSetDlg::onSelColor(const QColor& clr)
{
    if (!m_pParam || clr == m_pParam->m_clrShadow)
        return;
    m_pParam->m_clrShadow = clr;
    emit sigImgChanged();
}

void ShadowSetDlg::onApplyShadow(int nState)
{
    if (!m_pParam)
        return;
    m_pParam->m_bShadow = nState == Qt::Checked;
    m_pUi->frmShadow->setEnabled(m_pParam->m_bShadow);
    emit sigImgChanged();
}

void ShadowSetDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        m_pUi->retranslateUi(this);
    QDialog::changeEvent(event);
}
