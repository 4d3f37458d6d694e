#include "WhaterMarkMenuListItem.h"

#include "ui_WhaterMarkMenuListItem.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QMouseEvent>
#include <QStyle>

WhaterMarkMenuListItem::WhaterMarkMenuListItem(QWidget* parent)
    : QWidget(parent)
    , m_pUi(new Ui::WhaterMarkMenuListItem)
{
    m_pUi->setupUi(this);
    m_pUi->NameEdit->hide();
    m_pUi->btnEdit->hide();
    m_pUi->btnEdit->setIcon(QIcon(QStringLiteral(":/sr/icons/history_rename.svg")));
    m_pUi->btnArrow->installEventFilter(this);
    m_pUi->frmBtn->installEventFilter(this);
    m_pUi->labWMName->installEventFilter(this); // the name is elided again at each resize
    connect(m_pUi->btnEdit, &QToolButton::clicked, this, &WhaterMarkMenuListItem::onBtnEditClicked);
    connect(m_pUi->NameEdit, &QLineEdit::editingFinished, this, &WhaterMarkMenuListItem::onBtnPngEditNameFinished);
}

WhaterMarkMenuListItem::~WhaterMarkMenuListItem() { delete m_pUi; }

void WhaterMarkMenuListItem::setCusData(const QVariant& data) { m_data = data; }

void WhaterMarkMenuListItem::setParam(const QString& name, bool checked, int type)
{
    m_type = type;
    m_pUi->btnArrow->setCheckable(true);
    m_pUi->btnArrow->setAutoExclusive(true);
    m_pUi->btnArrow->setChecked(checked);
    m_pUi->btnArrow->setText(checked ? QStringLiteral("\u2713") : QString());
    m_pUi->btnArrow->setProperty("btnType", type);
    repolish(m_pUi->btnArrow);
    onSetText(name);
}

void WhaterMarkMenuListItem::setListItemCheck(bool checked)
{
    m_pUi->labWMName->setProperty("IsChecked", checked);
    repolish(m_pUi->labWMName);
    {
        const QSignalBlocker blocker(m_pUi->btnArrow);
        m_pUi->btnArrow->setChecked(checked);
    }
    // The check mark shows without a skin too.
    m_pUi->btnArrow->setText(checked ? QStringLiteral("\u2713") : QString());
    // The two built-in watermarks keep their names.
    const int index = m_data.toInt();
    if (m_type == ManagerRow && index != 0 && index != 1) {
        m_pUi->btnEdit->setVisible(checked);
        if (!checked)
            m_pUi->NameEdit->hide();
    }
}

bool WhaterMarkMenuListItem::isChecked() const { return m_pUi->btnArrow->isChecked(); }

void WhaterMarkMenuListItem::onSetText(const QString& name)
{
    m_name = name;
    onRejustSetText(name);
}

void WhaterMarkMenuListItem::onRejustSetText(const QString& text)
{
    QLabel* label = m_pUi->labWMName;
    const QFontMetrics metrics(label->font());
    const int width = label->width();
    if (metrics.boundingRect(text).width() <= width) {
        label->setText(text);
        label->setToolTip(QString());
        return;
    }
    label->setText(metrics.elidedText(text, Qt::ElideRight, width));
    label->setToolTip(text);
}

QToolButton* WhaterMarkMenuListItem::arrowBtn() const { return m_pUi->btnArrow; }
QLabel* WhaterMarkMenuListItem::labelName() const { return m_pUi->labWMName; }
QFrame* WhaterMarkMenuListItem::frmBtn() const { return m_pUi->frmBtn; }
QToolButton* WhaterMarkMenuListItem::editBtn() const { return m_pUi->btnEdit; }

void WhaterMarkMenuListItem::onBtnEditClicked()
{
    m_pUi->labWMName->hide();
    m_pUi->NameEdit->setText(m_name);
    m_pUi->NameEdit->show();
    m_pUi->NameEdit->setFocus();
    m_pUi->NameEdit->selectAll();
}

void WhaterMarkMenuListItem::onBtnPngEditNameFinished()
{
    if (!m_pUi->NameEdit->isVisible())
        return; // editingFinished also comes when the hidden editor loses focus
    m_name = m_pUi->NameEdit->text();
    m_pUi->NameEdit->hide();
    m_pUi->labWMName->show();
    emit sgWaterMarkNameChenged(m_name);
    onRejustSetText(m_name);
}

bool WhaterMarkMenuListItem::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease
                       || type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
    if (watched == m_pUi->labWMName && type == QEvent::Resize)
        onRejustSetText(m_name);
    if (watched == m_pUi->btnArrow && mouse)
        return true;
    if (watched == m_pUi->frmBtn && type == QEvent::MouseButtonRelease && !m_pUi->NameEdit->isVisible()) {
        {
            const QSignalBlocker blocker(m_pUi->btnArrow);
            m_pUi->btnArrow->setChecked(true);
        }
        emit sigListItemClicked(this);
    }
    return QWidget::eventFilter(watched, event);
}

void WhaterMarkMenuListItem::repolish(QWidget* widget)
{
    widget->setStyle(QApplication::style());
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}
