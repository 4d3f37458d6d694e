#pragma once
// The modal "Preferences" window. The caller builds it, picks the first page with
// showSettingPage(), loads it with init(), runs exec() and deletes it. Nothing is stored
// while the user edits: OK (or Yes to the question on close) writes every control to the
// settings model at once; the hotkey rows store their shortcuts themselves. A value that no
// list entry carries is kept as stored, never replaced by an empty selection. Loading,
// saving, the change check and "Restore to Default" all go through one table of fields
// (buildFields). GUI thread.

#include "OvDialogBase.h"
#include "PreferenceFields.h"
#include "core/RecordTypes.h"

#include <QColor>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace Ui {
class OptionDialog;
}

class OptionDialog : public OvDialogBase {
    Q_OBJECT
    Q_PROPERTY(QColor linkFontColor READ linkFontColor WRITE setlinkFontColor)
    Q_PROPERTY(QColor ColorHover MEMBER m_colorHover)
    Q_PROPERTY(QColor ColorNormal MEMBER m_colorNormal)
    Q_PROPERTY(QColor ColorBacHover MEMBER m_colorBacHover)
    Q_PROPERTY(QColor ColorBacNormal MEMBER m_colorBacNormal)

public:
    explicit OptionDialog(QWidget* parent = nullptr);
    ~OptionDialog() override;

    // The page (SETTINGPAGE) shown when the dialog is next shown; other values show none.
    void showSettingPage(int page);
    // Loads every control from the stored values; returns true.
    bool init();
    // Writes every control to its setting.
    void onSave();
    // 0x10000 (No) when nothing compared differs from the stored values; otherwise asks
    // whether to save and returns the pressed button (Yes 0x4000, No 0x10000, Cancel 0x400000).
    int querySavingModification();
    // Sets the log file to the application log (the dialog itself does not call it).
    static void initLogFile();

    QColor linkFontColor() const { return m_linkFontColor; }
    void setlinkFontColor(const QColor& color) { m_linkFontColor = color; }

    Ui::OptionDialog* ui() const { return m_pUi; }

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void onOutputFolderBrowseClicked();
    void onRestor();
    void onCheckIsSupport(int nIndxe = -1);
    void onMouseClickHandle();
    void onCheckFrameRate(int nIndex);
    void onCheckVideoCodes(int nIndex);
    void onSelectColor(QAbstractButton* btn);
    void onRetinaHelp();
    void onCheckAudioFormat(int index);
    void showSystemCursorDlg();
    void onOpenSnapshotPath();
    void onOpenVideoPath();
    void onSnapBrowseClicked();
    void onAutoUpdateChanged(int nState);
    void showWidget();

private:
    void checkWhichGroup();
    void initCmbDelegate();
    void setMouseChecked(int click);
    int getMouseChecked() const;
    void initSelectColorBtn();
    // Checks the swatch of `colour` in `group`, or its "Choose" button painted in it.
    void showColour(QButtonGroup* group, const QColor& colour);
    // The table of fields (m_fields); called once the controls exist.
    void buildFields();
    // Widens the page area to its contents, so that nothing needs scrolling sideways.
    void fitContentsWidth();
    void retranslateFrameRates();
    // Builds the frame-rate and codec lists of the format at `index` of the format list.
    void applyVideoFormat(int index);
    int firstSupportedFormatIndex() const;
    // Reports a link that could not be opened; `what` names it for the user.
    void reportOpenFailure(const QString& what);
    void browseFolder(QLineEdit* field);
    void openSystemSettings(int panel);

    Ui::OptionDialog* m_pUi = nullptr;
    QColor m_linkFontColor;
    PreferenceFields m_fields;
    bool m_bLoading = true;
    QButtonGroup* m_pClickColorGroup = nullptr;
    QButtonGroup* m_pAreaColorGroup = nullptr;
    QButtonGroup* m_pNavigationGroup = nullptr;
    QColor m_clickColor;
    QColor m_areaColor;
    int m_nPage = -1;
    QColor m_colorHover;
    QColor m_colorNormal;
    QColor m_colorBacHover;
    QColor m_colorBacNormal;
    int m_nLastCodec = RP_CODEC_H264;
    int m_nLastAudioFmt = RP_FMT_MP3;
    int m_nLastVideoFmt = RP_FMT_MOV;
};
