#include "PicClrFrm.h"

#include "ui_PicClrFrm.h"
#include "watermark/PickClrDlg.h"
#include "watermark/WaterMarkDataManage.h"

PicClrFrm::PicClrFrm(QWidget* parent)
    : QFrame(parent)
    , m_pUi(new Ui::PicClrFrm)
{
    m_pUi->setupUi(this);
    m_pPopup = new PickClrDlg(this);
    setClr(m_clr);
    connect(m_pPopup, &PickClrDlg::sigSelColor, this, &PicClrFrm::onPopupColor);
    connect(m_pUi->btnCurClr, &QToolButton::clicked, this, &PicClrFrm::onBtnCurClrClicked);
}

PicClrFrm::~PicClrFrm() { delete m_pUi; }

void PicClrFrm::setClr(const QColor& clr)
{
    m_clr = clr;
    m_pUi->btnCurClr->setStyleSheet(QStringLiteral("background-color:%1").arg(clr.name()));
}

void PicClrFrm::setAlign(bool align) { m_bAlign = align; }

QToolButton* PicClrFrm::swatchButton() const { return m_pUi->btnCurClr; }

void PicClrFrm::setPosMVFontEditDlg(QWidget* dlg, QWidget* anchor, QRect rect)
{
    if (!dlg || !anchor || rect.left() > rect.right() || rect.top() > rect.bottom())
        return;
    if (m_bAlign) {
        // Below and to the right where it fits, as the store places its pop-ups.
        WaterMarkDataManage::instance()->setPosShowDlg(dlg, anchor, rect);
        return;
    }
    QRect geometry = dlg->geometry();
    geometry.moveTopRight(anchor->mapToGlobal(rect.bottomRight()));
    dlg->setGeometry(geometry);
}

void PicClrFrm::onBtnCurClrClicked()
{
    m_pPopup->setClr(m_clr);
    setPosMVFontEditDlg(m_pPopup, m_pUi->btnCurClr, m_pUi->btnCurClr->rect());
    m_pPopup->show();
    m_pPopup->activateWindow();
}

void PicClrFrm::onPopupColor(const QColor& clr)
{
    setClr(clr);
    emit sigSelColor(clr);
}
