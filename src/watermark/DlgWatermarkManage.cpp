#include "watermark/DlgWatermarkManage.h"
#include "core/SettingsKeys.h"
#include "ui_DlgWatermarkManage.h"

#include "Log.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"
#include "OvResourceMgr.h"
#include "OvSettings.h"
#include "capture_tools/DlgSnapshot.h"
#include "services/ScreenLeaveWait.h"
#include "watermark/DlgScreenEditWaterMark.h"
#include "watermark/PicClrFrm.h"
#include "watermark/ShadowSetDlg.h"
#include "watermark/WMCustomListWidget.h"
#include "watermark/WaterMarkDataManage.h"
#include "watermark/WaterMarkPictureImport.h"
#include "watermark/WaterMarkPosGrid.h"
#include "watermark/WatermarkEditorFrame.h"
#include "watermark/WhaterMarkMenuListItem.h"
#include "widgets/OvComboboxViewItemDelegate.h"
#include "widgets/WheelFocusFilter.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QTimer>

namespace {
const char* const kModule = "DlgWatermarkManage";
const QString kIndexKey = QLatin1String(SettingsKeys::kWatermarkIndex);
// The built-in watermarks, which cannot be deleted: the picture and the text made first.
const int kBuiltInPicture = 0;
const int kBuiltInText = 1;
// Room around the preview's watermark, before the zoom factor.
const int kPreviewPadding = 30;
// Row kind of the manager's lists (renamable).
const int kEditableRow = WhaterMarkMenuListItem::ManagerRow;
// Font weight from which a font shows as bold, and the weights the bold button sets.
const int kBoldFrom = 58;

QSet<QString> picturesOf(const QList<WaterMarkData>& records)
{
    QSet<QString> paths;
    for (const WaterMarkData& record : records)
        if (record.m_bPic && !record.m_strWaterMarkPath.isEmpty())
            paths.insert(record.m_strWaterMarkPath);
    return paths;
}

WaterMarkData defaultRecord(bool pic, const QString& name)
{
    WaterMarkData record;
    record.m_bPic = pic;
    record.m_strWaterMarkName = name;
    return record;
}
} // namespace

DlgWatermarkManage::DlgWatermarkManage(QWidget* parent)
    : OvDialogBase(parent, Qt::Dialog | Qt::NoDropShadowWindowHint, true)
    , ui(new Ui::DlgWatermarkManage)
    , m_curPicData(defaultRecord(true, tr("Picture Watermark")))
    , m_curTextData(defaultRecord(false, tr("Text Watermark")))
{
    ui->setupUi(this);
    setFocusPolicy(Qt::ClickFocus);
    ensurePolished();
    for (QComboBox* box : {ui->cbFontName, ui->cbFontSize}) {
        auto* delegate = new OvComboboxViewItemDelegate(box);
        delegate->setTextColorH(m_clrHover);
        delegate->setTextColorN(m_clrNormal);
        delegate->setBacColorH(m_clrBacHover);
        delegate->setBacColorN(m_clrBacNormal);
        box->setItemDelegate(delegate);
    }
    ui->cbFontSize->setStyleSheet(QStringLiteral("QComboBox{combobox-popup:0;}"));
    for (QWidget* w : std::initializer_list<QWidget*>{ui->spTransparency, ui->spTransparency2, ui->listWidget, ui->listWidget2})
        w->setAttribute(Qt::WA_MacShowFocusRect, false);
    ui->tabWidget->tabBar()->hide();
    // Opacity, font and font size change under the wheel only once the user picked the control.
    WheelFocusFilter::install(this);
    postCreateDerivedDialog(true, false, nullptr);
}

DlgWatermarkManage::~DlgWatermarkManage() = default;

// ---- pages ------------------------------------------------------------------------------

bool DlgWatermarkManage::isPicPage() const { return ui->tabWidget->currentWidget() == ui->tabPng; }
WaterMarkData& DlgWatermarkManage::curData() { return isPicPage() ? m_curPicData : m_curTextData; }
WMCustomListWidget* DlgWatermarkManage::curList() const { return isPicPage() ? ui->listWidget : ui->listWidget2; }
WatermarkEditorFrame* DlgWatermarkManage::curPreview() const { return isPicPage() ? ui->frmShow : ui->frmShow2; }
WaterMarkPosGridPage* DlgWatermarkManage::curGrid() const { return isPicPage() ? m_pGridPic : m_pGridText; }

void DlgWatermarkManage::onInitUI()
{
    ui->frmShow->disEnableRectItem();
    ui->frmShow2->disEnableRectItem();
    ui->frmPicClr->setAlign(true);

    connect(ui->btnClose, &QAbstractButton::clicked, this, &QWidget::close);
    for (QAbstractButton* b : {ui->btnUsePng, ui->btnUseText, ui->btnNoWater})
        connect(b, &QAbstractButton::clicked, this, &DlgWatermarkManage::onChangeTabPage);
    connect(ui->frmPicClr, &PicClrFrm::sigSelColor, this, &DlgWatermarkManage::onSelColor);
    for (QAbstractButton* b : {ui->btnFontTS, ui->btnFontTU, ui->btnFontBold, ui->btnFontItalic}) {
        b->setCheckable(true);
        connect(b, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnFontStyleClicked);
    }
    for (QAbstractButton* b : {ui->btnAdd, ui->btnAdd2})
        connect(b, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnAddClicked);
    for (QAbstractButton* b : {ui->btnDelete, ui->btnDelete2})
        connect(b, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnDeleteClicked);
    connect(ui->btnReset, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnResetClicked);
    connect(ui->btnSave, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnSaveClicked);
    connect(ui->btnApply, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnApplyClicked);
    for (QAbstractButton* b : {ui->btnPreview, ui->btnPreview2})
        connect(b, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnPreviewClicked);
    for (WatermarkEditorFrame* f : {ui->frmShow, ui->frmShow2})
        connect(f, &WatermarkEditorFrame::itemSizeLoaded, this, &DlgWatermarkManage::onItemSizeLoaded);
    connect(ui->btnPicBrowse, &QAbstractButton::clicked, this, &DlgWatermarkManage::onBtnPicBrowseClicked);

    m_pGridPic = new WaterMarkPosGridPage({ui->btnLT, ui->btnMT, ui->btnRT, ui->btnLM, ui->btnMM, ui->btnRM, ui->btnLB,
                                           ui->btnMB, ui->btnRB},
                                          ui->labPosInfo, this);
    m_pGridText = new WaterMarkPosGridPage({ui->btnLT2, ui->btnMT2, ui->btnRT2, ui->btnLM2, ui->btnMM2, ui->btnRM2,
                                            ui->btnLB2, ui->btnMB2, ui->btnRB2},
                                           ui->labPosInfo2, this);
    m_pGridPic->setMargins(&m_curPicData.m_lstMargin);
    m_pGridText->setMargins(&m_curTextData.m_lstMargin);
    for (WaterMarkPosGridPage* grid : {m_pGridPic, m_pGridText})
        connect(grid, &WaterMarkPosGridPage::posChanged, this, &DlgWatermarkManage::refreshButtons);

    const auto makeTimer = [this](void (DlgWatermarkManage::*slot)()) {
        auto* timer = new QTimer(this);
        timer->setSingleShot(true);
        timer->setInterval(kDebounceMs);
        connect(timer, &QTimer::timeout, this, slot);
        return timer;
    };
    m_pTimerAdd = makeTimer(&DlgWatermarkManage::onTimerAdd);
    m_pTimerApply = makeTimer(&DlgWatermarkManage::onTimerApply);
    m_pTimerBrowse = makeTimer(&DlgWatermarkManage::onTimerBrowse);

    readFontNameList();
    readFontSizeList();
    for (QSpinBox* box : {ui->spTransparency, ui->spTransparency2}) {
        box->setRange(0, 100);
        box->setValue(100);
    }

    onInitWaterMarkListUI();

    connect(ui->cbFontName, &QComboBox::currentTextChanged, this, &DlgWatermarkManage::onFontNameIndexChanged);
    connect(ui->cbFontSize, &QComboBox::currentTextChanged, this, &DlgWatermarkManage::onFontSizeIndexChanged);
    for (QSpinBox* box : {ui->spTransparency, ui->spTransparency2})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &DlgWatermarkManage::onSpTransparency);
    connect(ui->textEdit, &QTextEdit::textChanged, this, &DlgWatermarkManage::onWatermarkTextEdited);
    m_pShadowSetDlg = new ShadowSetDlg(this);
    connect(m_pShadowSetDlg, &ShadowSetDlg::sigImgChanged, this, &DlgWatermarkManage::onShowShadowChanged);
    for (QAbstractButton* b : {ui->btnShadow, ui->btnShadow2})
        connect(b, &QAbstractButton::clicked, this, &DlgWatermarkManage::onShowShadowSetDlg);
    for (WMCustomListWidget* list : {ui->listWidget, ui->listWidget2}) {
        connect(list, &WMCustomListWidget::sigPopViewListItemClicked, this,
                &DlgWatermarkManage::onPopViewListItemClicked);
        connect(list, &WMCustomListWidget::sgWaterMarkNameChenged, this, &DlgWatermarkManage::onWaterMarkNameChenged);
    }
    ui->textEdit->installEventFilter(this);
}

void DlgWatermarkManage::onInitWaterMarkListUI()
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    m_nNextDataKey = 0;
    ui->listWidget->onEditUILoadData(true);
    ui->listWidget2->onEditUILoadData(false);
    for (const WaterMarkData& record : store->m_lstWaterMarkData)
        m_mapEditData.insert(m_nNextDataKey++, record);
    const int current = store->m_nCurIndex;
    m_nSelectedKey = current >= 0 && current < store->m_lstWaterMarkData.size() ? current : -1;

    QAbstractButton* start = ui->btnNoWater;
    if (current != -1) {
        const WaterMarkData selected = m_nSelectedKey >= 0 ? store->m_lstWaterMarkData.at(current) : WaterMarkData();
        start = selected.m_bPic ? ui->btnUsePng : ui->btnUseText;
        (selected.m_bPic ? m_bPicTabLoaded : m_bTextTabLoaded) = true;
    }
    onChangeTabPageByBtn(start);
    // Each page loads its row; the page shown last decides what the shared parts show.
    const bool picFirst = !isPicPage();
    ui->tabWidget->setCurrentWidget(picFirst ? ui->tabPng : ui->tabText);
    onUILoadWaterMarkData((picFirst ? ui->listWidget : ui->listWidget2)->getCurDataIndex());
    ui->tabWidget->setCurrentWidget(picFirst ? ui->tabText : ui->tabPng);
    onUILoadWaterMarkData((picFirst ? ui->listWidget2 : ui->listWidget)->getCurDataIndex());
    onChangeTabPageByBtn(start);
    ui->btnDelete->setEnabled(ui->listWidget->getCurDataIndex() != kBuiltInPicture);
    ui->btnDelete2->setEnabled(ui->listWidget2->getCurDataIndex() != kBuiltInText);
}

void DlgWatermarkManage::readFontNameList()
{
    ui->cbFontName->clear();
    ui->cbFontName->addItems(QFontDatabase().families());
    // The interface font is the natural choice where the usual one is not installed.
    const QString preferred = QFontInfo(font()).family();
    const int index = ui->cbFontName->findText(preferred, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index >= 0)
        ui->cbFontName->setCurrentIndex(index);
}

void DlgWatermarkManage::readFontSizeList()
{
    for (int size = kMinFontSize; size <= kMaxFontSize; ++size)
        ui->cbFontSize->addItem(QString::number(size));
}

void DlgWatermarkManage::onChangeTabPageByBtn(QAbstractButton* button)
{
    ui->btnUsePng->setChecked(button == ui->btnUsePng);
    ui->btnUseText->setChecked(button == ui->btnUseText);
    ui->btnNoWater->setChecked(button == ui->btnNoWater);
    ui->tabWidget->setCurrentWidget(button == ui->btnUsePng ? ui->tabPng
                                                            : (button == ui->btnUseText ? ui->tabText : ui->tabNo));
    const bool editable = button != ui->btnNoWater;
    ui->btnReset->setVisible(editable);
    ui->btnSave->setVisible(editable);
    if (editable)
        refreshButtons();
}

void DlgWatermarkManage::onChangeTabPage()
{
    auto* button = qobject_cast<QAbstractButton*>(sender());
    if (!button)
        return;
    onChangeTabPageByBtn(button);
    if (button == ui->btnUsePng && !m_bPicTabLoaded) {
        m_bPicTabLoaded = true;
        onUILoadWaterMarkData(WaterMarkData(m_curPicData));
    } else if (button == ui->btnUseText && !m_bTextTabLoaded) {
        m_bTextTabLoaded = true;
        onUILoadWaterMarkData(WaterMarkData(m_curTextData));
    }
}

// ---- loading a record ----------------------------------------------------------------------

void DlgWatermarkManage::onUILoadWaterMarkData(int key)
{
    const bool pic = isPicPage();
    onUILoadWaterMarkData(m_mapEditData.contains(key)
                              ? m_mapEditData.value(key)
                              : defaultRecord(pic, pic ? tr("Picture Watermark") : tr("Text Watermark")));
}

void DlgWatermarkManage::onUILoadWaterMarkData(const WaterMarkData& record)
{
    const QString shadowText = record.m_shadow.m_bShadow ? tr("Shadow") : tr("None");
    if (!record.m_bPic) {
        m_curTextData = record;
        // The controls show the record; their change handlers must not write it back.
        const QSignalBlocker b1(ui->textEdit), b2(ui->cbFontName), b3(ui->cbFontSize), b4(ui->spTransparency2);
        ui->textEdit->setPlainText(record.m_strWatermarkText);
        if (!record.m_strWatermarkText.isEmpty())
            m_strLastText = record.m_strWatermarkText;
        ui->frmPicClr->setClr(record.m_clrTextWatermark);
        // A family that is not installed stays the record's: it is shown as it is named.
        const QString family = record.m_font.family();
        int index = ui->cbFontName->findText(family, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (index < 0 && !family.isEmpty()) {
            ui->cbFontName->insertItem(0, family);
            index = 0;
        }
        ui->cbFontName->setCurrentIndex(std::max(index, 0));
        ui->cbFontSize->setCurrentIndex(record.m_strWatermarkText.isEmpty()
                                            ? 0
                                            : qBound(0, record.m_font.pointSize() - kMinFontSize,
                                                     ui->cbFontSize->count() - 1));
        ui->btnFontTS->setChecked(record.m_font.strikeOut());
        ui->btnFontTU->setChecked(record.m_font.underline());
        ui->btnFontBold->setChecked(record.m_font.weight() >= kBoldFrom);
        ui->btnFontItalic->setChecked(record.m_font.style() != QFont::StyleNormal);
        ui->spTransparency2->setValue(record.m_nOpacity);
        ui->btnShadow2->setText(shadowText);
        WaterMarkDataManage::instance()->generateTextMarkFile(&m_curTextData);
        ui->frmShow2->onSetMaterialInfo(m_curTextData.m_strWaterMarkPath, &m_curTextData);
        m_pGridText->onChangPosMode();
    } else {
        m_curPicData = record;
        ui->frmShow->onSetMaterialInfo(m_curPicData.m_strWaterMarkPath, &m_curPicData);
        const QSignalBlocker blocker(ui->spTransparency);
        ui->spTransparency->setValue(record.m_nOpacity);
        ui->btnShadow->setText(shadowText);
        m_pGridPic->onChangPosMode();
    }
    scheduleRender();
    refreshButtons();
}

// ---- preview rendering -------------------------------------------------------------------

void DlgWatermarkManage::scheduleRender()
{
    if (m_bApplying) {
        m_bApplyAgain = true;
    } else if (!m_bCloseWanted && !m_bApplyWanted) {
        m_bApplying = true;
        QTimer::singleShot(1, this, &DlgWatermarkManage::onApplyImgEditParamDelay);
    }
}

void DlgWatermarkManage::onApplyImgEditParamDelay()
{
    m_bApplying = true;
    // Changes made while a render runs are merged into one more render.
    do {
        m_bApplyAgain = false;
        m_pThumbImg = curPreview()->getOrgItemThumbDraw();
        const bool hasImage = !m_pThumbImg->isNull();
        (isPicPage() ? ui->btnPreview : ui->btnPreview2)->setEnabled(hasImage);
        (isPicPage() ? ui->frmPosSet : ui->frmPosSet2)->setEnabled(hasImage);
        if (!hasImage)
            break;
        onApplyImgEditParamThread(m_bShowProgress, false);
    } while (m_bApplyAgain);
    m_bApplyAgain = false;
    m_bApplying = false;
    if (m_bCloseWanted) {
        m_bCloseWanted = false;
        discardImports();
        reject();
    }
    if (m_bApplyWanted) {
        m_bApplyWanted = false;
        if (!m_pTimerAdd->isActive() && !m_pTimerBrowse->isActive())
            m_pTimerApply->start();
    }
}

void DlgWatermarkManage::onApplyImgEditParamThread(bool bShowDlg, bool bSaveImg)
{
    WaterMarkData record = curData();
    WatermarkEditorFrame* preview = curPreview();
    QImage image = WaterMarkDataManage::instance()->onApplyImgEditParamThread(&record, bSaveImg,
                                                                              bShowDlg ? this : nullptr);
    if (image.isNull())
        image = *preview->getOrgItemThumbDraw();
    preview->setItemThumbDraw(image);
}

// ---- Save and Reset state ---------------------------------------------------------------------

QMap<int, WaterMarkData> DlgWatermarkManage::editedCopies() const
{
    QMap<int, WaterMarkData> copies = m_mapEditData;
    // A page without rows has no record to keep.
    const int picKey = ui->listWidget->getCurDataIndex();
    if (picKey != -1)
        copies.insert(picKey, m_curPicData);
    const int textKey = ui->listWidget2->getCurDataIndex();
    if (textKey != -1)
        copies.insert(textKey, m_curTextData);
    return copies;
}

bool DlgWatermarkManage::isChangedEditForAll() const
{
    return editedCopies().values() != WaterMarkDataManage::instance()->m_lstWaterMarkData;
}

bool DlgWatermarkManage::isChangedCurEdit() const
{
    const bool pic = isPicPage();
    const int key = curList()->getCurDataIndex();
    if (m_mapEditData.contains(key))
        return (pic ? m_curPicData : m_curTextData) != m_mapEditData.value(key);
    return pic || !ui->textEdit->toPlainText().isEmpty();
}

void DlgWatermarkManage::refreshButtons()
{
    ui->btnSave->setEnabled(isChangedEditForAll());
    ui->btnReset->setEnabled(isChangedCurEdit());
}

bool DlgWatermarkManage::isCanSaveCurEdit()
{
    if (!isPicPage() && ui->textEdit->toPlainText().isEmpty()) {
        const QSignalBlocker blocker(ui->textEdit);
        ui->textEdit->setPlainText(m_strLastText);
        m_curTextData.m_strWatermarkText = m_strLastText;
    }
    return true;
}

void DlgWatermarkManage::onSaveAllData() { m_mapEditData = editedCopies(); }

// ---- committing ---------------------------------------------------------------------------

bool DlgWatermarkManage::commitEdits(int selectedKey)
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    const QList<WaterMarkData> previous = store->m_lstWaterMarkData;
    const int previousIndex = store->m_nCurIndex;
    store->m_lstWaterMarkData = m_mapEditData.values();
    store->m_nCurIndex = m_mapEditData.keys().indexOf(selectedKey);
    if (!store->saveWaterMarkDataFile()) {
        store->m_lstWaterMarkData = previous;
        store->m_nCurIndex = previousIndex;
        OvMessageBox::warning(this, OvProductInfo::instance()->productName(),
                              tr("The watermarks could not be saved. Check that the data folder can be written."));
        return false;
    }
    m_nSelectedKey = store->m_nCurIndex >= 0 ? selectedKey : -1;
    OvSettings::instance()->setApplicationParam(kIndexKey, store->m_nCurIndex);
    // Pictures go only once the list that no longer names them is written.
    const QSet<QString> kept = picturesOf(store->m_lstWaterMarkData);
    for (const QString& path : picturesOf(previous) + m_setImported)
        if (!kept.contains(path))
            store->removeWaterMarkPngPath(path);
    m_setImported.intersect(kept);
    return true;
}

void DlgWatermarkManage::discardImports()
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    const QSet<QString> kept = picturesOf(store->m_lstWaterMarkData);
    for (const QString& path : qAsConst(m_setImported))
        if (!kept.contains(path))
            store->removeWaterMarkPngPath(path);
    m_setImported.clear();
}

// ---- preview size ---------------------------------------------------------------------------

void DlgWatermarkManage::onItemSizeLoaded(bool bPic, int w, int h)
{
    const double z = OvResourceMgr::instance()->getZoomDPI();
    (bPic ? ui->frmShow : ui->frmShow2)->setFixedSize(int(kPreviewPadding * z + w), int(kPreviewPadding * z + h));
    if (bPic)
        ui->label->setText(tr("Size: %1px * %2px").arg(w).arg(h));
}

// ---- rows -------------------------------------------------------------------------------------

void DlgWatermarkManage::onPopViewListItemClicked(int index, const QString& name, int oldIndex)
{
    Q_UNUSED(name)
    // The row left keeps whatever was edited on it.
    if (oldIndex != -1 && isChangedCurEdit()) {
        isCanSaveCurEdit();
        m_mapEditData.insert(oldIndex, curData());
    }
    onUILoadWaterMarkData(index);
    if (isPicPage())
        ui->btnDelete->setEnabled(index != kBuiltInPicture);
    else
        ui->btnDelete2->setEnabled(index != kBuiltInText);
}

void DlgWatermarkManage::onWaterMarkNameChenged(const QString& name)
{
    curData().m_strWaterMarkName = name;
    refreshButtons();
}

void DlgWatermarkManage::onBtnAddClicked()
{
    if (!m_pTimerApply->isActive() && !m_pTimerBrowse->isActive())
        m_pTimerAdd->start();
}

void DlgWatermarkManage::onTimerAdd()
{
    m_pTimerAdd->stop();
    const int key = curList()->getCurDataIndex();
    if (isChangedCurEdit() && key != -1) {
        isCanSaveCurEdit();
        m_mapEditData.insert(key, curData());
    }
    const bool pic = isPicPage();
    const QString name = (pic ? tr("Picture Watermark") : tr("Text Watermark")) + QStringLiteral(" %1").arg(m_nNextDataKey);
    const WaterMarkData record = defaultRecord(pic, name);
    curList()->addCheckBoxItem(m_nNextDataKey, name, true, kEditableRow);
    if (!pic)
        curList()->setCurItemNameEditing();
    ++m_nNextDataKey;
    onUILoadWaterMarkData(record);
    if (pic) {
        ui->btnDelete->setEnabled(true);
        onTimerBrowse();
    } else {
        ui->btnDelete2->setEnabled(true);
    }
}

void DlgWatermarkManage::onBtnDeleteClicked()
{
    const int key = curList()->getCurDataIndex();
    if (m_pTimerAdd->isActive() || key == (isPicPage() ? kBuiltInPicture : kBuiltInText))
        return;
    // The picture stays until the list without this record is saved.
    m_mapEditData.remove(key);
    curList()->onRemoveItem();
    refreshButtons();
}

void DlgWatermarkManage::onBtnResetClicked()
{
    const bool pic = isPicPage();
    const int key = curList()->getCurDataIndex();
    const WaterMarkData record = m_mapEditData.contains(key)
                                     ? m_mapEditData.value(key)
                                     : defaultRecord(pic, pic ? tr("Picture Watermark") : tr("Text Watermark"));
    curList()->setCurItemText(record.m_strWaterMarkName);
    onUILoadWaterMarkData(record);
}

void DlgWatermarkManage::onBtnSaveClicked()
{
    isCanSaveCurEdit();
    onSaveAllData();
    if (!commitEdits(m_nSelectedKey))
        return;
    m_bSaved = true;
    ui->btnSave->setEnabled(false);
    ui->btnReset->setEnabled(false);
}

void DlgWatermarkManage::onBtnApplyClicked()
{
    if (!m_pTimerAdd->isActive() && !m_pTimerBrowse->isActive())
        m_pTimerApply->start();
}

void DlgWatermarkManage::onTimerApply()
{
    m_pTimerApply->stop();
    isCanSaveCurEdit();
    if (m_bApplying) {
        m_bApplyWanted = true;
        return;
    }
    onSaveAllData();
    if (!m_bApplySelection) {
        if (commitEdits(m_nSelectedKey))
            accept();
        return;
    }
    if (ui->tabWidget->currentWidget() == ui->tabNo) {
        m_nAppliedIndex = -1;
        if (commitEdits(-1))
            accept();
        return;
    }
    const int key = curList()->getCurDataIndex();
    if (key == -1) {
        accept();
        return;
    }
    QImage edited = curPreview()->getEditItemThumbDraw();
    WaterMarkDataManage::instance()->onSaveImgEditedThread(&edited, this);
    if (!commitEdits(key))
        return;
    m_nAppliedIndex = m_mapEditData.keys().indexOf(key);
    accept();
}

// ---- picture import ---------------------------------------------------------------------------

void DlgWatermarkManage::onBtnPicBrowseClicked()
{
    if (!m_pTimerAdd->isActive() && !m_pTimerApply->isActive())
        m_pTimerBrowse->start();
}

void DlgWatermarkManage::onTimerBrowse()
{
    m_pTimerBrowse->stop();
    QString path;
    if (!WaterMarkPictureImport::onSaveLineEditFile(this, m_curPicData.m_strWaterMarkPath, &path))
        return;
    m_setImported.insert(path);
    m_curPicData.m_strWaterMarkPath = path;
    m_curPicData.m_ItemSize = QSize(-1, -1);
    ui->frmShow->onSetMaterialInfo(path, &m_curPicData);
    m_bShowProgress = true;
    scheduleRender();
    refreshButtons();
}

// ---- placement on the screen ----------------------------------------------------------------------

void DlgWatermarkManage::onBtnPreviewClicked()
{
    if (m_pTimerAdd->isActive() || m_pTimerApply->isActive() || m_pTimerBrowse->isActive() || m_pSnapshotDlg)
        return;
    hide();
    m_pSnapshotDlg = new DlgSnapshot(this, true);
    connect(m_pSnapshotDlg, &DlgSnapshot::cusSnapshotSave, this, &DlgWatermarkManage::onGetCusRectDlgBg,
            Qt::QueuedConnection);
    // The picture to pick from must not show the manager: grabbed once it has left the screen.
    ScreenLeaveWait::afterLeaving({this}, m_pSnapshotDlg, [dlg = m_pSnapshotDlg] { dlg->createImageCapture(); });
}

void DlgWatermarkManage::onGetCusRectDlgBg(const QString& path, const QRect& rcSelect)
{
    if (m_pSnapshotDlg)
        m_pSnapshotDlg->deleteLater();
    m_pSnapshotDlg = nullptr;
    Log(kModule, 1, "m_strPreviewCapPath:%s", path.toUtf8().constData());
    if (path.isEmpty()) {
        // No area was picked: the manager comes back as it was.
        setWindowModality(Qt::ApplicationModal);
        show();
        activateWindow();
        return;
    }
    m_strPreviewCapPath = path;
    m_rcPreviewCap = rcSelect;
    QTimer::singleShot(1, this, &DlgWatermarkManage::onShowCusRectDlg);
}

void DlgWatermarkManage::onShowCusRectDlg()
{
    Log(kModule, 1, "onShowCusRectDlg");
    const bool pic = isPicPage();
    WaterMarkData& record = curData();
    {
        DlgScreenEditWaterMark editor(this);
        m_pScreenEditDlg = &editor;
        WatermarkEditorFrame* frame = editor.getScreenEditWaterMarkFrame();
        frame->setBackGroundImg(m_strPreviewCapPath, m_rcPreviewCap);
        // A frame larger than a small selection stays centred on it.
        QRect geometry(QPoint(0, 0), m_rcPreviewCap.size().expandedTo(frame->size()));
        geometry.moveCenter(m_rcPreviewCap.center());
        editor.setGeometry(geometry);
        frame->onSetMaterialInfo(curPreview()->getEditItemThumbDraw(), &record);
        editor.exec();
        m_pScreenEditDlg = nullptr;
    }
    if (record.m_ItemSize.width() >= 0 && record.m_ItemSize.height() >= 0) {
        onItemSizeLoaded(pic, record.m_ItemSize.width(), record.m_ItemSize.height());
        QTimer::singleShot(1, curPreview(), &WatermarkEditorFrame::onCalculationRect);
    }
    curGrid()->onChangPosMode();
    refreshButtons();
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
}

void DlgWatermarkManage::show()
{
    if (m_pScreenEditDlg)
        m_pScreenEditDlg->show();
    else
        OvDialogBase::show();
}

// ---- effects and text -----------------------------------------------------------------------------

void DlgWatermarkManage::onShowShadowSetDlg()
{
    auto* button = qobject_cast<QAbstractButton*>(sender());
    if (!button)
        return;
    WaterMarkData& record = curData();
    m_pThumbImg = curPreview()->getOrgItemThumbDraw();
    m_pShadowSetDlg->setShadowParam(&record.m_shadow, m_pThumbImg);
    WaterMarkDataManage::instance()->setPosShowDlg(m_pShadowSetDlg, button, button->rect());
    m_pShadowSetDlg->show();
    m_pShadowSetDlg->activateWindow();
    button->setText(record.m_shadow.m_bShadow ? tr("Shadow") : tr("None"));
    refreshButtons();
}

void DlgWatermarkManage::onShowShadowChanged()
{
    (isPicPage() ? ui->btnShadow : ui->btnShadow2)->setText(curData().m_shadow.m_bShadow ? tr("Shadow") : tr("None"));
    m_bShowProgress = false;
    scheduleRender();
    refreshButtons();
}

void DlgWatermarkManage::regenerateText()
{
    m_curTextData.m_ItemSize = QSize(-1, -1);
    WaterMarkDataManage::instance()->generateTextMarkFile(&m_curTextData);
    ui->frmShow2->onSetMaterialInfo(m_curTextData.m_strWaterMarkPath, &m_curTextData);
    m_bShowProgress = false;
    scheduleRender();
    refreshButtons();
}

void DlgWatermarkManage::onSelColor(const QColor& color)
{
    m_curTextData.m_clrTextWatermark = color;
    regenerateText();
}

void DlgWatermarkManage::onBtnFontStyleClicked()
{
    QFont& font = m_curTextData.m_font;
    font.setStrikeOut(ui->btnFontTS->isChecked());
    font.setUnderline(ui->btnFontTU->isChecked());
    font.setWeight(ui->btnFontBold->isChecked() ? QFont::Bold : QFont::Normal);
    font.setStyle(ui->btnFontItalic->isChecked() ? QFont::StyleItalic : QFont::StyleNormal);
    regenerateText();
}

void DlgWatermarkManage::onFontNameIndexChanged(const QString& text)
{
    if (text.isEmpty())
        return;
    m_curTextData.m_font.setFamily(text);
    regenerateText();
}

void DlgWatermarkManage::onFontSizeIndexChanged(const QString& text)
{
    const int size = text.toInt();
    if (size < kMinFontSize)
        return;
    m_curTextData.m_font.setPointSize(size);
    regenerateText();
}

void DlgWatermarkManage::onSpTransparency(int value)
{
    Q_UNUSED(value)
    if (isPicPage())
        m_curPicData.m_nOpacity = ui->spTransparency->value();
    else
        m_curTextData.m_nOpacity = ui->spTransparency2->value();
    m_bShowProgress = false;
    scheduleRender();
    refreshButtons();
}

void DlgWatermarkManage::onWatermarkTextEdited()
{
    const QString text = ui->textEdit->toPlainText();
    if (!text.isEmpty())
        m_strLastText = text;
    m_curTextData.m_strWatermarkText = text;
    regenerateText();
}

// ---- events -------------------------------------------------------------------------------------

bool DlgWatermarkManage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->textEdit && event->type() == QEvent::FocusOut && ui->textEdit->toPlainText().isEmpty())
        ui->textEdit->setPlainText(m_strLastText);
    return OvDialogBase::eventFilter(watched, event);
}

void DlgWatermarkManage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !m_pScreenEditDlg)
        close();
}

void DlgWatermarkManage::closeEvent(QCloseEvent* event)
{
    if (m_pTimerAdd->isActive() || m_pTimerApply->isActive() || m_pTimerBrowse->isActive()) {
        event->ignore();
        return;
    }
    onSaveAllData();
    if (isChangedEditForAll()) {
        const int answer = OvMessageBox::question(
            this, OvProductInfo::instance()->productName(),
            tr("You have changed some settings. Do you want to save the changes before exiting?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Yes) {
            m_bApplySelection = false;
            if (!m_pTimerAdd->isActive() && !m_pTimerBrowse->isActive())
                m_pTimerApply->start();
            event->accept();
            return;
        }
        if (answer != QMessageBox::No) {
            event->ignore();
            return;
        }
    }
    m_bApplySelection = false;
    if (!m_bApplying) {
        discardImports();
        reject();
        event->accept();
    } else {
        m_bCloseWanted = true;
        event->ignore();
    }
}
