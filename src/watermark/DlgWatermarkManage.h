#pragma once
// The watermark manager: create, edit, place, rename, delete and choose picture and text
// watermarks. It edits copies, one per list row, and a working record per page; the store
// (WaterMarkDataManage) changes only on Save, Apply or Yes to the closing question. Then
// the list is replaced and written, the selection is kept on the same record, and only then
// are the pictures no record uses any more deleted. Closing without saving deletes only
// pictures imported meanwhile that nothing uses. GUI thread; owns its form, pop-ups and timers.

#include "OvDialogBase.h"
#include "watermark/WaterMarkData.h"

#include <QMap>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <memory>

class DlgScreenEditWaterMark;
class DlgSnapshot;
class QAbstractButton;
class QTimer;
class ShadowSetDlg;
class WMCustomListWidget;
class WaterMarkPosGridPage;
class WatermarkEditorFrame;

namespace Ui {
class DlgWatermarkManage;
}

class DlgWatermarkManage : public OvDialogBase {
    Q_OBJECT
    Q_PROPERTY(QColor ColorHover MEMBER m_clrHover)
    Q_PROPERTY(QColor ColorNormal MEMBER m_clrNormal)
    Q_PROPERTY(QColor ColorBacHover MEMBER m_clrBacHover)
    Q_PROPERTY(QColor ColorBacNormal MEMBER m_clrBacNormal)
public:
    // Debounce of New, Apply and "Change picture".
    static constexpr int kDebounceMs = 500;
    static constexpr int kMinFontSize = 9;
    static constexpr int kMaxFontSize = 380;

    explicit DlgWatermarkManage(QWidget* parent = nullptr);
    ~DlgWatermarkManage() override;

    // Fills the dialog from the store; the owner calls it once after construction.
    void onInitUI();

    // Read by the owner after finished: select m_nAppliedIndex when m_bApplySelection is set;
    // m_bSaved: the store's list was replaced (and written) by Save.
    bool m_bApplySelection = true;
    bool m_bSaved = false;
    int m_nAppliedIndex = -1;

public slots:
    // While the placement editor runs it is shown instead.
    void show();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool isPicPage() const;
    WaterMarkData& curData();
    WMCustomListWidget* curList() const;
    WatermarkEditorFrame* curPreview() const;
    WaterMarkPosGridPage* curGrid() const;

    void onInitWaterMarkListUI();
    void readFontNameList();
    void readFontSizeList();
    void onChangeTabPage();
    void onChangeTabPageByBtn(QAbstractButton* button);
    void onUILoadWaterMarkData(int key);
    void onUILoadWaterMarkData(const WaterMarkData& record);
    void scheduleRender();
    void onApplyImgEditParamDelay();
    void onApplyImgEditParamThread(bool bShowDlg, bool bSaveImg);
    void refreshButtons();
    // The copies with both pages' working records stored under their rows.
    QMap<int, WaterMarkData> editedCopies() const;
    bool isChangedEditForAll() const;
    bool isChangedCurEdit() const;
    bool isCanSaveCurEdit();
    void onSaveAllData();
    // Replaces the store's list by the copies, keeps the selection on the record with key
    // `selectedKey` (-1: none), writes the list and then deletes unused pictures.
    // False (the user told, nothing deleted) when the list could not be written.
    bool commitEdits(int selectedKey);
    // Deletes pictures imported while the dialog ran that no stored record uses.
    void discardImports();
    void regenerateText();

    void onItemSizeLoaded(bool bPic, int w, int h);
    void onPopViewListItemClicked(int index, const QString& name, int oldIndex);
    void onWaterMarkNameChenged(const QString& name);
    void onBtnAddClicked();
    void onTimerAdd();
    void onBtnDeleteClicked();
    void onBtnResetClicked();
    void onBtnSaveClicked();
    void onBtnApplyClicked();
    void onTimerApply();
    void onBtnPicBrowseClicked();
    void onTimerBrowse();
    void onBtnPreviewClicked();
    void onGetCusRectDlgBg(const QString& path, const QRect& rcSelect);
    void onShowCusRectDlg();
    void onShowShadowSetDlg();
    void onShowShadowChanged();
    void onSelColor(const QColor& color);
    void onBtnFontStyleClicked();
    void onFontNameIndexChanged(const QString& text);
    void onFontSizeIndexChanged(const QString& text);
    void onSpTransparency(int value);
    void onWatermarkTextEdited();

    std::unique_ptr<Ui::DlgWatermarkManage> ui;
    WaterMarkPosGridPage* m_pGridPic = nullptr;
    WaterMarkPosGridPage* m_pGridText = nullptr;
    ShadowSetDlg* m_pShadowSetDlg = nullptr;
    QImage* m_pThumbImg = nullptr;
    QPointer<DlgSnapshot> m_pSnapshotDlg;
    WaterMarkData m_curPicData;
    WaterMarkData m_curTextData;
    QMap<int, WaterMarkData> m_mapEditData;
    int m_nNextDataKey = 0;
    // Key of the store's selected record; -1 for none.
    int m_nSelectedKey = -1;
    // Pictures imported while the dialog runs.
    QSet<QString> m_setImported;
    bool m_bPicTabLoaded = false;
    bool m_bTextTabLoaded = false;
    QString m_strPreviewCapPath;
    QRect m_rcPreviewCap;
    DlgScreenEditWaterMark* m_pScreenEditDlg = nullptr;
    QString m_strLastText;
    bool m_bApplyAgain = false;
    bool m_bShowProgress = false;
    bool m_bApplying = false;
    bool m_bCloseWanted = false;
    bool m_bApplyWanted = false;
    QTimer* m_pTimerAdd = nullptr;
    QTimer* m_pTimerApply = nullptr;
    QTimer* m_pTimerBrowse = nullptr;
    QColor m_clrHover;
    QColor m_clrNormal;
    QColor m_clrBacHover;
    QColor m_clrBacNormal;
};
