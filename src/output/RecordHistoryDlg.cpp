#include "RecordHistoryDlg.h"

#include "ui_RecordHistoryDlg.h"

#include "widgets/OvComboboxViewItemDelegate.h"

#include <QEvent>
#include <QSignalBlocker>

RecordHistoryDlg::RecordHistoryDlg(QWidget* parent)
    : OvDialogBase(parent)
    , ui(new Ui::RecordHistoryDlg)
{
    ui->setupUi(this);
    ensurePolished();
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    connect(ui->btnRemoveAll, &QPushButton::clicked, this, &RecordHistoryDlg::onRemoveAllClicked);
    connect(ui->btnReRecord, &QPushButton::clicked, this, &RecordHistoryDlg::onRecordMore);
    buildTypeCombo(0);
    connect(ui->lineEdit, &QLineEdit::textChanged, this, &RecordHistoryDlg::onSearch);
    ui->lineEdit->setAttribute(Qt::WA_MacShowFocusRect, false);
    ui->lstFile->setAttribute(Qt::WA_MacShowFocusRect, false);
    postCreateDerivedDialog(true, false, nullptr);
}

RecordHistoryDlg::~RecordHistoryDlg() = default;

HistoryFileListWidget* RecordHistoryDlg::historyList() const { return ui->lstFile; }

void RecordHistoryDlg::buildTypeCombo(int index)
{
    QComboBox* combo = ui->cmbType;
    combo->clear();
    combo->addItem(tr("Show all"), int(HFT_ALL));
    combo->addItem(tr("Video"), int(HFT_VIDEO));
    combo->addItem(tr("Audio"), int(HFT_AUDIO));
    combo->addItem(tr("Image"), int(HFT_IMAGE));
    combo->setCurrentIndex(index);
    // The combo box owns its delegate and deletes the previous one.
    m_delegate = new OvComboboxViewItemDelegate(combo);
    applyDelegateColors();
    combo->setItemDelegate(m_delegate);
    connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &RecordHistoryDlg::onChangeTypeShow);
}

void RecordHistoryDlg::applyDelegateColors()
{
    if (!m_delegate)
        return;
    m_delegate->setTextColorH(m_colorHover);
    m_delegate->setTextColorN(m_colorNormal);
    m_delegate->setBacColorH(m_colorBacHover);
    m_delegate->setBacColorN(m_colorBacNormal);
}

void RecordHistoryDlg::onChangeTypeShow(int n)
{
    if (n < 0)
        return;
    ui->lstFile->filterByType(HistoryFileType(ui->cmbType->itemData(n).toInt()));
}

void RecordHistoryDlg::onSearch() { ui->lstFile->search(ui->lineEdit->text()); }

void RecordHistoryDlg::onRemoveAllClicked() { ui->lstFile->removeAll(); }

void RecordHistoryDlg::onRecordMore() { accept(); }

void RecordHistoryDlg::isAddedHistory()
{
    {
        // Applied below in any case: selecting the entry that is already shown emits nothing.
        const QSignalBlocker blocker(ui->cmbType);
        ui->cmbType->setCurrentIndex(0);
    }
    // The user's search text stays and is applied with it.
    ui->lstFile->filterByType(HFT_ALL);
}

void RecordHistoryDlg::showEvent(QShowEvent* event)
{
    OvDialogBase::showEvent(event);
    applyDelegateColors();
    ui->lstFile->refreshItemStatus();
}

void RecordHistoryDlg::changeEvent(QEvent* event)
{
    OvDialogBase::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    ui->retranslateUi(this);
    disconnect(ui->cmbType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &RecordHistoryDlg::onChangeTypeShow);
    // The list keeps its filter: the rebuilt combo box shows the same entry.
    buildTypeCombo(ui->cmbType->currentIndex());
}
