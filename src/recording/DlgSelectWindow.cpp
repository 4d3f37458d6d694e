#include "DlgSelectWindow.h"

#include "ui_DlgSelectWindow.h"

DlgSelectWindow::DlgSelectWindow(QWidget* parent)
    : OvDialogBase(parent)
    , m_pUi(new Ui::DlgSelectWindow)
{
    m_pUi->setupUi(this);
    postCreateDerivedDialog(false);
    setObjectName(QStringLiteral("DlgSelectWindow"));
    m_pUi->comboMode->addItem(tr("One window"), int(WM_SINGLE));
    m_pUi->comboMode->addItem(tr("Several windows"), int(WM_MULTIPLE));
    m_pUi->comboMode->addItem(tr("All but the checked windows"), int(WM_EXCLUDE));
    connect(m_pUi->comboMode, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        if (windowMode() == WM_SINGLE) {
            const QList<quint64> checked = selectedWindows();
            for (int i = 1; i < checked.size(); ++i)
                setWindowChecked(checked.at(i), false);
        }
        updateState();
    });
    connect(m_pUi->listWindows, &QListWidget::itemChanged, this, &DlgSelectWindow::onItemChanged);
    connect(m_pUi->btnRefresh, &QPushButton::clicked, this, &DlgSelectWindow::onRefresh);
    connect(m_pUi->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pUi->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateState();
}

DlgSelectWindow::~DlgSelectWindow() { delete m_pUi; }

void DlgSelectWindow::setWindows(const QList<WindowListManger::WindowItem>& windows, const QList<quint64>& checked,
                                 WindowModle mode)
{
    m_bUpdating = true;
    m_pUi->listWindows->clear();
    for (const WindowListManger::WindowItem& w : windows) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1   (%2 x %3)").arg(w.title).arg(w.rect.width()).arg(w.rect.height()), m_pUi->listWindows);
        item->setData(Qt::UserRole, QVariant::fromValue<quint64>(w.id));
        item->setToolTip(w.title);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(checked.contains(w.id) ? Qt::Checked : Qt::Unchecked);
    }
    m_bUpdating = false;
    setWindowMode(mode);
    if (mode == WM_SINGLE) {
        const QList<quint64> sel = selectedWindows();
        for (int i = 1; i < sel.size(); ++i)
            setWindowChecked(sel.at(i), false);
    }
    updateState();
}

WindowModle DlgSelectWindow::windowMode() const
{
    return WindowModle(m_pUi->comboMode->currentData().toInt());
}

void DlgSelectWindow::setWindowMode(WindowModle mode)
{
    const int index = m_pUi->comboMode->findData(int(mode));
    m_pUi->comboMode->setCurrentIndex(index < 0 ? 0 : index);
}

QList<quint64> DlgSelectWindow::selectedWindows() const
{
    QList<quint64> out;
    for (int i = 0; i < m_pUi->listWindows->count(); ++i) {
        const QListWidgetItem* item = m_pUi->listWindows->item(i);
        if (item->checkState() == Qt::Checked)
            out << item->data(Qt::UserRole).value<quint64>();
    }
    return out;
}

void DlgSelectWindow::setWindowChecked(quint64 id, bool checked)
{
    for (int i = 0; i < m_pUi->listWindows->count(); ++i) {
        QListWidgetItem* item = m_pUi->listWindows->item(i);
        if (item->data(Qt::UserRole).value<quint64>() == id)
            item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void DlgSelectWindow::onItemChanged(QListWidgetItem* item)
{
    if (m_bUpdating)
        return;
    if (windowMode() == WM_SINGLE && item->checkState() == Qt::Checked) {
        m_bUpdating = true;
        for (int i = 0; i < m_pUi->listWindows->count(); ++i) {
            QListWidgetItem* other = m_pUi->listWindows->item(i);
            if (other != item)
                other->setCheckState(Qt::Unchecked);
        }
        m_bUpdating = false;
    }
    updateState();
}

void DlgSelectWindow::onRefresh()
{
    const QList<quint64> checked = selectedWindows();
    const WindowModle mode = windowMode();
    setWindows(WindowListManger::instance()->refreshWindowList(), checked, mode);
}

void DlgSelectWindow::updateState()
{
    const WindowModle mode = windowMode();
    const int count = selectedWindows().size();
    switch (mode) {
    case WM_SINGLE: m_pUi->labelHint->setText(tr("Check the window to record.")); break;
    case WM_MULTIPLE: m_pUi->labelHint->setText(tr("Check the windows to record.")); break;
    default: m_pUi->labelHint->setText(tr("The whole screen is recorded without the checked windows.")); break;
    }
    if (m_pUi->listWindows->count() == 0)
        m_pUi->labelHint->setText(tr("No open window was found. Open the window to record, then press Refresh."));
    // Excluding nothing is a plain full-screen recording and is allowed; the other modes need a window.
    m_pUi->btnOk->setEnabled(mode == WM_EXCLUDE || count > 0);
}
