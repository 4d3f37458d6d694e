#include "WhaterMarkMenuDlg.h"

#include "Framework.h"
#include "ui_WhaterMarkMenuDlg.h"

#include <QEvent>
#include <QIcon>

WhaterMarkMenuDlg::WhaterMarkMenuDlg(QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , m_pUi(new Ui::WhaterMarkMenuDlg)
{
    m_pUi->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    // The translucent window shows only what its frame paints.
    m_pUi->frmBg->setAutoFillBackground(true);
    m_pUi->btnAMWaterMark->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_watermark.svg")));
    Framework::customizeWidgetStyle(m_pUi->listWidget);
    connect(m_pUi->btnAMWaterMark, &QToolButton::clicked, this, &WhaterMarkMenuDlg::sigBtnAMWaterMarkClicked);
    connect(m_pUi->listWidget, &WMCustomListWidget::sigPopViewListItemClicked, this,
            &WhaterMarkMenuDlg::sigPopViewListItemClicked);
}

WhaterMarkMenuDlg::~WhaterMarkMenuDlg() { delete m_pUi; }

void WhaterMarkMenuDlg::onLoadData(int index) { m_pUi->listWidget->onLoadData(index); }

WMCustomListWidget* WhaterMarkMenuDlg::listWidget() const { return m_pUi->listWidget; }

bool WhaterMarkMenuDlg::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate)
        hide();
    return QDialog::event(event);
}

void WhaterMarkMenuDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_pUi->retranslateUi(this);
        m_pUi->listWidget->retranslateItem();
    }
    QDialog::changeEvent(event);
}
