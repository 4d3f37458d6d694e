#include "OptionDialog.h"

#include "Log.h"
#include "OvColorDialog.h"
#include "OvFileDialog.h"
#include "OvFileUtils.h"
#include "OvSettings.h"
#include "core/DeviceManager.h"
#include "core/RecordParameter.h"
#include "preferences/DesktopSettingsLauncher.h"
#include "recording/AudioDriverManager.h"
#include "services/PlatformSeam.h"
#include "services/Utils.h"
#include "ui_OptionDialog.h"
#include "widgets/OvComboboxViewItemDelegate.h"
#include "widgets/WheelFocusFilter.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMap>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

namespace {
struct ListEntry {
    const char* text;
    int value;
};
const ListEntry kVideoFormats[] = {{"MOV", RP_FMT_MOV}, {"MP4", RP_FMT_MP4}, {"M4V", RP_FMT_M4V}, {"Gif", RP_FMT_GIF}};
const ListEntry kAudioFormats[] = {{"MP3", RP_FMT_MP3}, {"M4A", RP_FMT_M4A},   {"WMA", RP_FMT_WMA}, {"CAF", RP_FMT_CAF},
                                   {"FLAC", RP_FMT_FLAC}, {"OGG", RP_FMT_OGG}, {"OPUS", RP_FMT_OPUS}};
const ListEntry kImageFormats[] = {
    {"PNG", RP_FMT_PNG}, {"JPG/JPEG", RP_FMT_JPEG}, {"BMP", RP_FMT_BMP}, {"GIF", RP_FMT_GIF}, {"TIFF", RP_FMT_TIFF}};
const int kGifRates[] = {3, 4, 5, 6, 7, 8};
const int kGifDefaultRateIndex = 1; // 4 fps
const int kVideoRates[] = {20, 24, 25, 30, 60};
const int kVideoDefaultRateIndex = 3; // 30 fps
const int kHighFrameRate = 60;
const RP_CodecQuality kRestoreVideoQuality = RP_QUALITY_MEDIUM;
const RP_CodecQuality kRestoreAudioQuality = RP_QUALITY_HIGH;

const char* const kSwatchColors[] = {"#d9252b", "#ffb517", "#3788e4"};
const char* const kDefaultAreaColor = "#d9252b";
const char* const kDefaultClickColor = "#ffb517";
// The "Choose" swatch while no colour of its own is stored.
const QColor kChooseSwatchBlank(Qt::white);

// The page in view is marked like the main window's selected mode; swatch looks are set
// per button since each shows its own colour.
const char* const kDialogStyle = R"(
#btnRecording, #btnMouse, #btnHotkeys, #btnOutput, #btnSystem {
    border: 1px solid #dcdfe4;
    border-radius: 6px;
    padding: 6px 10px;
    min-width: 84px; /* room for the bold text of the checked one */
}
#btnRecording:checked, #btnMouse:checked, #btnHotkeys:checked, #btnOutput:checked, #btnSystem:checked {
    border: 2px solid #4f7cff;
    background-color: #eaf0ff;
    color: #2b56d9;
    font-weight: bold;
}
)";
const char* const kSwatchStyle = "QToolButton { background-color: %1; border: 1px solid #c9ced6; border-radius: 3px; "
                                 "min-width: 18px; min-height: 18px; }"
                                 "QToolButton:checked { border: 2px solid #4f7cff; }";

void paintSwatch(QAbstractButton* button, const QColor& color)
{
    button->setStyleSheet(QString::fromLatin1(kSwatchStyle).arg(color.name()));
}

// Framework update modes: install on exit, or ask.
const int kUpdateOnExit = 3;
const int kUpdateAsk = 1;

const int kButtonYes = 0x4000;
const int kButtonNo = 0x10000;
const int kButtonCancel = 0x400000;

template <size_t N>
void fillList(QComboBox* combo, const ListEntry (&entries)[N])
{
    combo->clear();
    for (const ListEntry& entry : entries)
        combo->addItem(QIcon(), QString::fromLatin1(entry.text), entry.value);
}

QString pathOf(const QLineEdit* field) { return field->text().replace(QLatin1Char('\\'), QLatin1Char('/')); }
} // namespace

OptionDialog::OptionDialog(QWidget* parent)
    : OvDialogBase(parent, Qt::WindowFlags(), false)
    , m_pUi(new Ui::OptionDialog)
{
    m_pUi->setupUi(this);
    setStyleSheet(QString::fromLatin1(kDialogStyle));
    ensurePolished();
    setWindowFlags(windowFlags() & (Qt::WindowType_Mask | Qt::WindowCloseButtonHint | Qt::WindowTitleHint));

    m_pClickColorGroup = new QButtonGroup(this);
    for (QAbstractButton* button : {m_pUi->btnClick1, m_pUi->btnClick2, m_pUi->btnClick3, m_pUi->btnClickChoose})
        m_pClickColorGroup->addButton(button);
    m_pAreaColorGroup = new QButtonGroup(this);
    for (QAbstractButton* button : {m_pUi->btnArea1, m_pUi->btnArea2, m_pUi->btnArea3, m_pUi->btnAreaChoose})
        m_pAreaColorGroup->addButton(button);
    paintSwatch(m_pUi->btnClickChoose, kChooseSwatchBlank);
    paintSwatch(m_pUi->btnAreaChoose, kChooseSwatchBlank);
    for (QButtonGroup* group : {m_pClickColorGroup, m_pAreaColorGroup})
        for (int i = 0; i < 3; ++i)
            paintSwatch(group->buttons().at(i), QColor(QLatin1String(kSwatchColors[i])));
    m_pNavigationGroup = new QButtonGroup(this); // exclusive: the page in view is checked
    for (QAbstractButton* button :
         {m_pUi->btnRecording, m_pUi->btnMouse, m_pUi->btnHotkeys, m_pUi->btnOutput, m_pUi->btnSystem}) {
        m_pNavigationGroup->addButton(button);
        connect(button, &QAbstractButton::clicked, this, &OptionDialog::showWidget);
    }

    for (QWidget* watched : {static_cast<QWidget*>(m_pUi->lblSysDisplay), static_cast<QWidget*>(m_pUi->lblSysSound),
                             m_pUi->scrollAreaWidgetContents, static_cast<QWidget*>(m_pUi->lblAboutAudioDriver)})
        watched->installEventFilter(this);

    connect(m_pUi->btnOutputFolderBrowse, &QToolButton::clicked, this, &OptionDialog::onOutputFolderBrowseClicked);
    connect(m_pUi->btnRestor, &QPushButton::clicked, this, &OptionDialog::onRestor);
    connect(m_pUi->btnCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(m_pUi->btnOK, &QPushButton::clicked, this, &OptionDialog::accept);
    for (QToolButton* button : {m_pUi->btnMouseNone, m_pUi->btnMouseClick, m_pUi->btnMouseFlash})
        connect(button, &QToolButton::clicked, this, &OptionDialog::onMouseClickHandle);
    connect(m_pUi->cbType, qOverload<int>(&QComboBox::currentIndexChanged), this, &OptionDialog::onCheckIsSupport);
    connect(m_pUi->cbVideoFrameRate, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &OptionDialog::onCheckFrameRate);
    connect(m_pUi->cbVideoCodec, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &OptionDialog::onCheckVideoCodes);
    connect(m_pUi->btnRetinaHelp, &QToolButton::clicked, this, &OptionDialog::onRetinaHelp);
    connect(m_pUi->cbAudioFormat, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &OptionDialog::onCheckAudioFormat);
    connect(m_pUi->chbCursor, &QCheckBox::clicked, this,
            [this](bool checked) { m_pUi->frmMouseContent->setEnabled(checked); });
    connect(m_pClickColorGroup, qOverload<QAbstractButton*>(&QButtonGroup::buttonClicked), this,
            &OptionDialog::onSelectColor);
    connect(m_pAreaColorGroup, qOverload<QAbstractButton*>(&QButtonGroup::buttonClicked), this,
            &OptionDialog::onSelectColor);
    connect(m_pUi->btnCursor, &QToolButton::clicked, this, &OptionDialog::showSystemCursorDlg);
    connect(m_pUi->chbMoveRegion, &QCheckBox::clicked, this, [this] {
        QToolTip::showText(m_pUi->chbMoveRegion->mapToGlobal(QPoint(0, 0)),
                           tr("Long press Ctrl to move the recording area with mouse when recording"),
                           m_pUi->chbMoveRegion);
    });
    connect(m_pUi->scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &OptionDialog::checkWhichGroup);

    m_pUi->btnRecording->setChecked(true);
    for (QComboBox* combo : {m_pUi->cbVideoQuality, m_pUi->cbAudioQuality})
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemData(i, RP_QUALITY_LOWEST + i);

    m_pUi->chbOnlyMini->hide();
    m_pUi->chbExcludeFloatBar->setChecked(false);
    connect(m_pUi->chbExcludeFloatBar, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            Utils::showMacWindowMessage(MT_INFO, this,
                                        tr("If your computer is poorly configured, using this feature will result in "
                                           "a decline in recording performance. Do you want to use it?"),
                                        MB_OK);
    });
    m_pUi->edtSaveFile->setEnabled(false);
    m_pUi->edtSnapshotFile->setEnabled(false);
    connect(m_pUi->btnSnapshotFileOpen, &QToolButton::clicked, this, &OptionDialog::onOpenSnapshotPath);
    connect(m_pUi->btnSaveFileOpen, &QToolButton::clicked, this, &OptionDialog::onOpenVideoPath);
    connect(m_pUi->btnSnapshotBrowse, &QToolButton::clicked, this, &OptionDialog::onSnapBrowseClicked);

    connect(m_pUi->chbAutoUpdates, &QCheckBox::stateChanged, this, &OptionDialog::onAutoUpdateChanged);

    initCmbDelegate();
    // Options that mean nothing on an X11 desktop stay stored as loaded but are not shown: no
    // dock to hide, no desktop icons of a known shell, no updater in this build (the "Others"
    // page held only the two update boxes).
    for (QWidget* hidden : {static_cast<QWidget*>(m_pUi->frmRetina), static_cast<QWidget*>(m_pUi->chbHidePannel),
                            static_cast<QWidget*>(m_pUi->chbHideIcon), static_cast<QWidget*>(m_pUi->rdbExit),
                            static_cast<QWidget*>(m_pUi->rdbMinimize), static_cast<QWidget*>(m_pUi->label_8),
                            static_cast<QWidget*>(m_pUi->cmbRetina), static_cast<QWidget*>(m_pUi->chbAutoHide),
                            static_cast<QWidget*>(m_pUi->gbSystem), static_cast<QWidget*>(m_pUi->btnSystem)})
        hidden->hide();
    WheelFocusFilter::install(m_pUi->scrollAreaWidgetContents);
    buildFields();
    postCreateDerivedDialog(true, false, nullptr);
    fitContentsWidth();
}

OptionDialog::~OptionDialog() { delete m_pUi; }

void OptionDialog::showSettingPage(int page) { m_nPage = page; }

namespace {
using F = PreferenceFields;
using C = PreferenceFields::Control;
} // namespace

void OptionDialog::buildFields()
{
    using R = RecordParameter;
    R* p = R::instance();
    OvSettings* settings = OvSettings::instance();
    Ui::OptionDialog* ui = m_pUi;

    // Controls that are more than a box, a text or a list.
    const auto colour = [this](QColor* member, QButtonGroup* group) {
        return C{[member] { return QVariant(member->name()); },
                 [this, member, group](const QVariant& v, C::Moment) {
                     *member = QColor(v.toString());
                     showColour(group, *member);
                 }};
    };
    const C clickColour = colour(&m_clickColor, m_pClickColorGroup);
    const C areaColour = colour(&m_areaColor, m_pAreaColorGroup);
    const C cursor = F::followedBy(C::box(ui->chbCursor), [ui](C::Moment) {
        ui->frmMouseContent->setEnabled(ui->chbCursor->isChecked());
    });
    const C clickEffect{[this] { return QVariant(getMouseChecked()); },
                        [this](const QVariant& v, C::Moment) { setMouseChecked(v.toInt()); }};
    // Loading selects the stored format silently and then runs the format check itself.
    const C videoFormat = F::followedBy(C::list(ui->cbType, C::FirstEntry), [this](C::Moment moment) {
        if (moment == C::Loading)
            onCheckIsSupport(m_pUi->cbType->currentIndex());
    });
    const C codec = C::list(ui->cbVideoCodec, C::FirstEntry);
    const C frameRate = C::list(ui->cbVideoFrameRate, C::FirstEntry);
    const C videoQuality = C::list(ui->cbVideoQuality, C::FirstEntry);
    const C audioQuality = C::list(ui->cbAudioQuality, C::FirstEntry);
    const C audioFormat = C::list(ui->cbAudioFormat, C::NoSelection);
    // The second JPEG value has no entry of its own.
    C imageFormat = C::list(ui->cmbImgFormat, C::NoSelection);
    imageFormat.show = [show = imageFormat.show](const QVariant& v, C::Moment moment) {
        show(v.toInt() == RP_FMT_JPG ? QVariant(int(RP_FMT_JPEG)) : v, moment);
    };
    const C closeChoice{[ui] { return QVariant(ui->rdbExit->isChecked()); }, [ui](const QVariant& v, C::Moment) {
                            (v.toBool() ? ui->rdbExit : ui->rdbMinimize)->setChecked(true);
                        }};
    const C retina{[ui] { return QVariant(ui->cmbRetina->currentIndex()); }, [](const QVariant&, C::Moment) {}};
    const C hotkeyRows{[] { return QVariant(); }, [ui](const QVariant&, C::Moment) {
                           ui->frmMASShortcut->setDefaulKeyCode(true);
                           ui->frmMASShortcut->setCellDisenabled();
                       }};

    // Stored values that are more than a flag of the settings model.
    const F::Value click = F::number([p] { return p->getMouseclick(); }, [p](int v) { p->setMouseClick(RP_MouseClick(v)); });
    const F::Value format = F::number([p] { return p->usedVideoFmt(); }, [p](int v) { p->setUsedVideoFmt(RP_Format(v)); });
    const F::Value audio = F::number([p] { return p->usedAudioFmt(); }, [p](int v) { p->setUsedAudioFmt(RP_Format(v)); });
    const F::Value image = F::number([p] { return p->usedImgFmt(); }, [p](int v) { p->setUsedImgFmt(RP_Format(v)); });
    const F::Value audioLevel = F::number([p] { return p->getAudioQuality(); },
                                          [p](int v) { p->setAudioQuality(RP_CodecQuality(v)); });
    const F::Value videoFolder = F::folder(&Utils::getVideoOutputPath, &Utils::setVideoOutputPath);
    const F::Value shotFolder = F::folder(&Utils::getSnapshotPath, &Utils::setSnapshotPath);
    const F::Value autoUpdate{[settings] { return QVariant(settings->appAutoUpdateEnabled()); },
                              [settings](const QVariant& v) { settings->setAppAutoUpdateEnabled(v.toBool()); }};
    const F::Value updateOnExit{[settings] { return QVariant(settings->updateMode() == kUpdateOnExit); },
                                [settings](const QVariant& v) {
                                    settings->setUpdateMode(v.toBool() ? kUpdateOnExit : kUpdateAsk);
                                }};
    const F::Value retinaMode{nullptr, [p](const QVariant& v) { p->setRetinaMode(v.toInt()); }}; // never loaded
    const F::Value keptByTheRows{nullptr, nullptr}; // each row stores its shortcut at once

    // The video format comes before its codec and frame-rate lists, which it fills.
    // clang-format off
    m_fields.setFields({
    //   control                      stored value                                          compared        saved                 restore value
        {clickColour,                 F::mouseColour(true),                                 F::NotCompared, F::Shown,             F::to(QLatin1String(kDefaultClickColor))},
        {areaColour,                  F::mouseColour(false),                                F::NotCompared, F::Shown,             F::to(QLatin1String(kDefaultAreaColor))},
        {cursor,                      F::flag(&R::isMouseEnable, &R::setMouseRecorder),     F::WithStored,  F::Shown,             F::to(true)},
        {C::box(ui->chbIndicate),     F::flag(&R::isMouseAlwaysShow, &R::setMouseShow),     F::NotCompared, F::Shown,             F::to(false)},
        {clickEffect,                 click,                                                F::WithStored,  F::Shown,             F::to(int(RP_CLICK_NONE))},
        {videoFormat,                 format,                                               F::WithLoaded,  F::Shown,             F::toEntry(ui->cbType, 0)},
        {codec,                       F::video(F::Codec),                                   F::WithStored,  F::Shown,             F::toEntry(ui->cbVideoCodec, 0)},
        {frameRate,                   F::video(F::FrameRate),                               F::WithLoaded,  F::Shown,             F::toEntry(ui->cbVideoFrameRate, kVideoDefaultRateIndex)},
        {videoQuality,                F::video(F::Quality),                                 F::WithLoaded,  F::Shown,             F::to(int(kRestoreVideoQuality))},
        {audioQuality,                audioLevel,                                           F::NotCompared, F::Shown,             F::to(int(kRestoreAudioQuality))},
        {audioFormat,                 audio,                                                F::WithLoaded,  F::StoredUntilChanged, F::to(int(RP_FMT_MP3))},
        {imageFormat,                 image,                                                F::WithLoaded,  F::StoredUntilChanged, F::toEntry(ui->cmbImgFormat, 0)},
        {C::text(ui->edtSaveFile),    videoFolder,                                          F::WithStored,  F::Shown,             &Utils::getOriginalVideoOutputPath},
        {C::text(ui->edtSnapshotFile), shotFolder,                                          F::WithStored,  F::Shown,             &Utils::getOriginalSnapshotPath},
        {C::box(ui->chbCountdown),    F::flag(&R::isCountDown, &R::setCountDown),           F::WithStored,  F::Shown,             F::to(true)},
        {C::box(ui->chbBeep),         F::flag(&R::isBeep, &R::setBeep),                     F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbShowBoundary), F::flag(&R::isShowBoundary, &R::setShowBoundary),     F::WithStored,  F::Shown,             F::to(true)},
        {C::box(ui->chbHideFloatBar), F::flag(&R::isHideFloat, &R::setHideFloat),           F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbMoveRegion),   F::flag(&R::getMoveRegion, &R::setMoveRegion),        F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbHideIcon),     F::flag(&R::isHideDesktop, &R::setHideDesktop),       F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbAutoHide),     F::flag(&R::isHideTaskbar, &R::setHideTaskbar),       F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbHidePannel),   F::flag(&R::isHideMainWhenScreenshot, &R::setHideMainWhenScreenshot), F::WithStored, F::Shown, F::to(true)},
        {C::box(ui->chbAutoPerview, true), F::flag(&R::isAutoSave, &R::setAutoSave),        F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbFollowTheme),  F::flag(&R::isFollowTheme, &R::setFollowTheme),       F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbExcludeFloatBar), F::flag(&R::isExcludeFloatBar, &R::setExcludeFloatBar), F::WithStored, F::Shown,       F::to(false)},
        {C::box(ui->chbOnlyMini),     F::flag(&R::isMini, &R::setMini),                     F::WithStored,  F::Shown,             F::to(true)},
        {closeChoice,                 F::flag(&R::isCloseWhenClose, &R::setCloseWhenClose), F::WithStored,  F::Shown,             F::to(false)},
        {C::box(ui->chbAutoUpdates),  autoUpdate,                                           F::NotCompared, F::Shown,             F::to(true)},
        {C::box(ui->chbUpdateOnExit), updateOnExit,                                         F::WithStored,  F::Shown,             F::to(false)},
        {retina,                      retinaMode,                                           F::NotCompared, F::Shown,             nullptr},
        {hotkeyRows,                  keptByTheRows,                                        F::NotCompared, F::Shown,             F::to(true)},
    });
    // clang-format on
}

bool OptionDialog::init()
{
    m_bLoading = true;
    m_pUi->chbFollowTheme->hide();
    {
        const QSignalBlocker videoBlocker(m_pUi->cbType);
        const QSignalBlocker audioBlocker(m_pUi->cbAudioFormat);
        fillList(m_pUi->cbType, kVideoFormats);
        fillList(m_pUi->cbAudioFormat, kAudioFormats);
        fillList(m_pUi->cmbImgFormat, kImageFormats);
    }
    QPointer<OptionDialog> alive(this);
    if (!m_fields.load([alive] { return !alive.isNull(); }))
        return false;
    m_nLastAudioFmt = RecordParameter::instance()->usedAudioFmt();
    m_pUi->chbUpdateOnExit->setEnabled(m_pUi->chbAutoUpdates->isChecked());
    return true;
}

void OptionDialog::onSave() { m_fields.save(); }

void OptionDialog::accept()
{
    onSave();
    OvDialogBase::accept();
}

int OptionDialog::querySavingModification()
{
    if (!m_fields.changed())
        return kButtonNo;
    Log("OptionDialog", 1, "%d,%d", int(RecordParameter::instance()->isExcludeFloatBar()),
        int(m_pUi->chbExcludeFloatBar->isChecked()));
    return Utils::showMacWindowMessage(
        MT_ERROR, this, tr("You have changed some settings. Do you want to save the changes before exiting?"),
        MB_YESNOCANCEL);
}

void OptionDialog::closeEvent(QCloseEvent* event)
{
    QPointer<OptionDialog> alive(this);
    const int answer = querySavingModification();
    if (!alive)
        return;
    if (answer == kButtonNo) {
        reject();
        event->accept();
    } else if (answer == kButtonYes) {
        onSave();
        OvDialogBase::accept();
        event->accept();
    } else {
        event->ignore();
    }
}

void OptionDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape asks like the close button instead of dropping the edits.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    OvDialogBase::keyPressEvent(event);
}

void OptionDialog::showEvent(QShowEvent* event)
{
    OvDialogBase::showEvent(event);
    initCmbDelegate();
    // The page is scrolled to once the contents are laid out at their final size: scrolled
    // before, the section would land too far down.
    QTimer::singleShot(0, this, [this] {
        m_pUi->scrollAreaWidgetContents->layout()->activate();
        switch (m_nPage) {
        case SP_MOUSE: m_pUi->btnMouse->click(); break;
        case SP_OUTPUT: m_pUi->btnOutput->click(); break;
        case SP_HOTKEYS: m_pUi->btnHotkeys->click(); break;
        case SP_RECORDING: m_pUi->btnRecording->click(); break;
        default: break;
        }
    });
}

void OptionDialog::changeEvent(QEvent* event)
{
    OvDialogBase::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        // The form's lists keep their entries and values; only their texts change.
        m_pUi->retranslateUi(this);
        retranslateFrameRates();
    }
}

void OptionDialog::retranslateFrameRates()
{
    QComboBox* rates = m_pUi->cbVideoFrameRate;
    for (int i = 0; i < rates->count(); ++i)
        rates->setItemText(i, tr("%1 fps").arg(rates->itemData(i).toInt()));
}

bool OptionDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_pUi->lblSysSound) {
            openSystemSettings(DesktopSettingsLauncher::Sound);
            return true;
        }
        if (watched == m_pUi->lblSysDisplay) {
            openSystemSettings(DesktopSettingsLauncher::Display);
            return true;
        }
        if (watched == m_pUi->lblAboutAudioDriver) {
            // The dialog may be closed and deleted while the plug-in dialog runs; the
            // plug-in dialog is its child and goes with it.
            QPointer<AudioDriverManager> driver = new AudioDriverManager(this, 1);
            driver->setWindowModality(Qt::WindowModal);
            driver->exec();
            delete driver.data();
            return true;
        }
        if (watched == m_pUi->scrollAreaWidgetContents)
            m_pUi->frmMASShortcut->setCellDisenabled();
    } else if (event->type() == QEvent::Wheel) {
        checkWhichGroup();
    } else if (event->type() == QEvent::LayoutRequest && watched == m_pUi->scrollAreaWidgetContents) {
        fitContentsWidth();
    } else if (event->type() == QEvent::Resize && watched == m_pUi->scrollAreaWidgetContents) {
        if (m_nPage == SP_OUTPUT)
            m_pUi->btnOutput->click();
        return false;
    }
    return OvDialogBase::eventFilter(watched, event);
}

void OptionDialog::showWidget()
{
    auto* button = qobject_cast<QAbstractButton*>(sender());
    QGroupBox* box = nullptr;
    if (button == m_pUi->btnRecording)
        box = m_pUi->gbRecording;
    else if (button == m_pUi->btnMouse)
        box = m_pUi->gbMouse;
    else if (button == m_pUi->btnHotkeys)
        box = m_pUi->gbHotkeys;
    else if (button == m_pUi->btnOutput)
        box = m_pUi->gbOutput;
    else if (button == m_pUi->btnSystem)
        box = m_pUi->gbSystem;
    if (!box)
        return;
    m_pUi->scrollArea->ensureWidgetVisible(box, 0, 0);
    // Scrolling checked the box now at the top; the clicked one wins.
    button->setChecked(true);
}

void OptionDialog::fitContentsWidth()
{
    QScrollArea* area = m_pUi->scrollArea;
    const int width = m_pUi->scrollAreaWidgetContents->minimumSizeHint().width() + 2 * area->frameWidth()
                      + area->verticalScrollBar()->sizeHint().width();
    if (width != area->minimumWidth())
        area->setMinimumWidth(width);
}

void OptionDialog::checkWhichGroup()
{
    const QPoint probe(m_pUi->scrollArea->width() / 2, m_pUi->scrollArea->verticalScrollBar()->value());
    QWidget* hit = m_pUi->scrollAreaWidgetContents->childAt(probe);
    if (!hit)
        return;
    const std::pair<QGroupBox*, QAbstractButton*> pages[] = {{m_pUi->gbRecording, m_pUi->btnRecording},
                                                             {m_pUi->gbMouse, m_pUi->btnMouse},
                                                             {m_pUi->gbHotkeys, m_pUi->btnHotkeys},
                                                             {m_pUi->gbOutput, m_pUi->btnOutput},
                                                             {m_pUi->gbSystem, m_pUi->btnSystem}};
    for (const auto& page : pages) {
        if (page.first == hit || page.first->isAncestorOf(hit)) {
            page.second->setChecked(true);
            return;
        }
    }
}

void OptionDialog::initCmbDelegate()
{
    // A list box deletes the delegate it replaces; the new one is its child.
    for (QComboBox* combo : {m_pUi->cbType, m_pUi->cbAudioFormat, m_pUi->cbVideoCodec, m_pUi->cbAudioQuality,
                             m_pUi->cbVideoFrameRate, m_pUi->cbVideoQuality, m_pUi->cmbImgFormat}) {
        auto* delegate = new OvComboboxViewItemDelegate(combo);
        delegate->setTextColorH(m_colorHover);
        delegate->setTextColorN(m_colorNormal);
        delegate->setBacColorH(m_colorBacHover);
        delegate->setBacColorN(m_colorBacNormal);
        combo->setItemDelegate(delegate);
    }
}

void OptionDialog::onRestor()
{
    // Live signals: the rules run for every list whose selection changes, and a question may
    // outlive the dialog.
    QPointer<OptionDialog> alive(this);
    m_fields.restore([alive] { return !alive.isNull(); });
}

int OptionDialog::firstSupportedFormatIndex() const
{
    for (int i = 0; i < m_pUi->cbType->count(); ++i)
        if (Utils::suportVidoeType(RP_Format(m_pUi->cbType->itemData(i).toInt())))
            return i;
    return -1;
}

void OptionDialog::onCheckIsSupport(int nIndxe)
{
    QComboBox* formats = m_pUi->cbType;
    const int index = nIndxe < 0 ? formats->currentIndex() : nIndxe;
    if (index < 0)
        return;
    if (Utils::suportVidoeType(RP_Format(formats->itemData(index).toInt()))) {
        applyVideoFormat(index);
        return;
    }
    QPointer<OptionDialog> alive(this);
    Utils::showMacWindowMessage(MT_WARNING, this,
                                tr("We detected your computer system parameters don't support '%1' recording. You "
                                   "can restart the program or use other format to retry.")
                                    .arg(formats->itemText(index)),
                                MB_OK);
    if (!alive)
        return;
    if (m_bLoading) {
        // The stored format cannot be recorded: offer the first one that can, with its lists.
        const int supported = firstSupportedFormatIndex();
        {
            const QSignalBlocker blocker(formats);
            formats->setCurrentIndex(supported);
        }
        if (supported >= 0) {
            applyVideoFormat(supported);
        } else {
            const QSignalBlocker rateBlocker(m_pUi->cbVideoFrameRate);
            const QSignalBlocker codecBlocker(m_pUi->cbVideoCodec);
            m_pUi->cbVideoFrameRate->clear();
            m_pUi->cbVideoCodec->clear();
        }
        return;
    }
    // Back to the format whose lists are shown.
    const QSignalBlocker blocker(formats);
    formats->setCurrentIndex(formats->findData(m_nLastVideoFmt));
}

void OptionDialog::applyVideoFormat(int index)
{
    const RP_Format fmt = RP_Format(m_pUi->cbType->itemData(index).toInt());
    QComboBox* rates = m_pUi->cbVideoFrameRate;
    {
        const QSignalBlocker blocker(rates);
        rates->clear();
        if (fmt == RP_FMT_GIF) {
            if (!m_bLoading) {
                QPointer<OptionDialog> alive(this);
                Utils::showMacWindowMessage(
                    MT_WARNING, this, tr("The recorded file size is limited to 400 MB if you choose GIF format."),
                    MB_OK);
                if (!alive)
                    return;
            }
            for (int rate : kGifRates)
                rates->addItem(QIcon(), tr("%1 fps").arg(rate), rate);
            rates->setCurrentIndex(kGifDefaultRateIndex);
        } else {
            for (int rate : kVideoRates)
                rates->addItem(QIcon(), tr("%1 fps").arg(rate), rate);
            rates->setCurrentIndex(kVideoDefaultRateIndex);
        }
    }
    {
        QComboBox* codecs = m_pUi->cbVideoCodec;
        const QSignalBlocker blocker(codecs);
        codecs->clear();
        const QMap<int, QString> supported = Utils::getSupportCodecs(fmt);
        for (auto it = supported.cbegin(); it != supported.cend(); ++it)
            codecs->addItem(QIcon(), it.value(), it.key());
        codecs->setCurrentIndex(qMax(0, codecs->findData(RecordParameter::instance()->getVideoCodecType())));
        m_nLastCodec = codecs->currentData().toInt();
    }
    m_nLastVideoFmt = fmt;
    m_bLoading = false;
}

void OptionDialog::onCheckFrameRate(int nIndex)
{
    if (m_pUi->cbVideoFrameRate->itemData(nIndex).toInt() != kHighFrameRate)
        return;
    Utils::showMacWindowMessage(
        MT_WARNING, this,
        tr("Recording 60 frames of video requires a very high computer configuration. If the computer "
           "configuration is not high enough, the recorded video frame rate will be less than 60 frames, and the "
           "smoothness of the video may be affected."),
        MB_OK);
}

void OptionDialog::onCheckVideoCodes(int nIndex)
{
    QComboBox* codecs = m_pUi->cbVideoCodec;
    const int codec = codecs->itemData(nIndex).toInt();
    QString question;
    if (codec == RP_CODEC_HEVC)
        question = tr("Higher computer configurations are required to use the HEVC code. If not, there may be some "
                      "delays. Click \"OK\" to apply this code.");
    else if (codec == RP_CODEC_PRORES422 || codec == RP_CODEC_PRORES4444)
        question = tr("Apple ProRes is a lossless video code provided by Apple.\nUsing this video code can help you "
                      "achieve the optimal image quality for the output video. It provides great materials for "
                      "later video editing. But meanwhile, the video file will be extremely large, which is not "
                      "easy to transfer and share.\nClick \"OK\" to apply the Apple ProRes code.");
    if (!question.isEmpty()) {
        QPointer<OptionDialog> alive(this);
        const int answer = Utils::showMacWindowMessage(MT_WARNING, this, question, MB_OKCANCEL);
        if (!alive)
            return;
        if (answer == kButtonCancel) {
            const QSignalBlocker blocker(codecs);
            codecs->setCurrentIndex(codecs->findData(m_nLastCodec));
        }
    }
    m_nLastCodec = codecs->currentData().toInt();
}

void OptionDialog::onCheckAudioFormat(int index)
{
    QComboBox* formats = m_pUi->cbAudioFormat;
    const int fmt = formats->itemData(index).toInt();
    if ((fmt == RP_FMT_OGG || fmt == RP_FMT_OPUS) && !DeviceManager::instance()->isX86_64()) {
        QPointer<OptionDialog> alive(this);
        Utils::showMacWindowMessage(
            MT_WARNING, this, tr("This audio format is about to be compatible with the new ARM processor, so stay tuned."),
            MB_OK);
        if (!alive)
            return;
        const QSignalBlocker blocker(formats);
        formats->setCurrentIndex(formats->findData(m_nLastAudioFmt));
    }
    if (formats->currentIndex() >= 0)
        m_nLastAudioFmt = formats->currentData().toInt();
}

void OptionDialog::onMouseClickHandle()
{
    auto* clicked = qobject_cast<QToolButton*>(sender());
    for (QToolButton* button : {m_pUi->btnMouseNone, m_pUi->btnMouseClick, m_pUi->btnMouseFlash})
        if (button != clicked)
            button->setChecked(false);
    m_pUi->frmClickColor->setVisible(clicked == m_pUi->btnMouseFlash && clicked->isChecked());
}

void OptionDialog::setMouseChecked(int click)
{
    m_pUi->btnMouseClick->setChecked(click == RP_CLICK_SHOW);
    m_pUi->btnMouseFlash->setChecked(click == RP_CLICK_BLINK);
    m_pUi->btnMouseNone->setChecked(click != RP_CLICK_SHOW && click != RP_CLICK_BLINK);
    m_pUi->frmClickColor->setVisible(click == RP_CLICK_BLINK);
}

int OptionDialog::getMouseChecked() const
{
    if (m_pUi->btnMouseClick->isChecked())
        return RP_CLICK_SHOW;
    if (m_pUi->btnMouseFlash->isChecked())
        return RP_CLICK_BLINK;
    return RP_CLICK_NONE;
}

void OptionDialog::initSelectColorBtn()
{
    showColour(m_pAreaColorGroup, m_areaColor);
    showColour(m_pClickColorGroup, m_clickColor);
}

void OptionDialog::showColour(QButtonGroup* group, const QColor& colour)
{
    const QList<QAbstractButton*> buttons = group->buttons(); // swatches 1-3, then "Choose"
    for (int i = 0; i < 3; ++i) {
        if (colour == QColor(QLatin1String(kSwatchColors[i]))) {
            buttons.at(i)->setChecked(true);
            paintSwatch(buttons.at(3), kChooseSwatchBlank);
            return;
        }
    }
    buttons.at(3)->setChecked(true);
    paintSwatch(buttons.at(3), colour);
}

void OptionDialog::onSelectColor(QAbstractButton* btn)
{
    const bool click = btn->objectName().startsWith(QLatin1String("btnClick"));
    QColor& color = click ? m_clickColor : m_areaColor;
    const QString name = btn->objectName();
    if (name.endsWith(QLatin1String("Choose"))) {
        QPointer<OptionDialog> alive(this);
        QPointer<OvColorDialog> picker = new OvColorDialog(color, this);
        picker->setWindowModality(Qt::WindowModal);
        const int result = picker->exec();
        if (!alive)
            return; // the picker went with the dialog
        const QColor chosen = picker ? picker->selectedColor() : QColor();
        delete picker.data();
        if (result == QDialog::Accepted && chosen.isValid()) {
            paintSwatch(btn, chosen);
            color = chosen;
        } else {
            initSelectColorBtn();
        }
        return;
    }
    for (int i = 0; i < 3; ++i)
        if (name.endsWith(QString::number(i + 1)))
            color = QColor(QLatin1String(kSwatchColors[i]));
}

void OptionDialog::browseFolder(QLineEdit* field)
{
    QPointer<OptionDialog> alive(this);
    const QString answer = OvFileDialog::getExistingDirectory(this, tr("Select output folder"), pathOf(field));
    if (!alive || answer.isEmpty())
        return;
    const QString path = OvFileUtils::makeOSLikePath(answer);
    if (!OvFileUtils::isFolderPathWritable(path)) {
        Utils::showMacWindowMessage(MT_INFO, this,
                                    tr("\"%1\" is not writable, please select another one.").arg(path), MB_OK);
        return;
    }
    field->setText(path);
}

void OptionDialog::onOutputFolderBrowseClicked() { browseFolder(m_pUi->edtSaveFile); }

void OptionDialog::onSnapBrowseClicked() { browseFolder(m_pUi->edtSnapshotFile); }

void OptionDialog::onOpenVideoPath()
{
    if (!PlatformSeam::current()->openUrl(QUrl::fromLocalFile(pathOf(m_pUi->edtSaveFile))))
        reportOpenFailure(pathOf(m_pUi->edtSaveFile));
}

void OptionDialog::onOpenSnapshotPath()
{
    if (!PlatformSeam::current()->openUrl(QUrl::fromLocalFile(pathOf(m_pUi->edtSnapshotFile))))
        reportOpenFailure(pathOf(m_pUi->edtSnapshotFile));
}

void OptionDialog::showSystemCursorDlg() { openSystemSettings(DesktopSettingsLauncher::Mouse); }

void OptionDialog::openSystemSettings(int panel)
{
    QString what;
    if (!DesktopSettingsLauncher::open(DesktopSettingsLauncher::Panel(panel), &what))
        reportOpenFailure(what);
}

void OptionDialog::reportOpenFailure(const QString& what)
{
    Log("OptionDialog", 2, "could not open %s", qPrintable(what));
    Utils::showMacWindowMessage(MT_ERROR, this, tr("Could not open %1.").arg(what), MB_OK);
}

void OptionDialog::onRetinaHelp()
{
    Utils::showMacWindowMessage(MT_INFO, this, tr("Retina screen mode prompt message"), MB_OK);
}

void OptionDialog::onAutoUpdateChanged(int nState) { m_pUi->chbUpdateOnExit->setEnabled(nState == Qt::Checked); }

void OptionDialog::initLogFile()
{
    SetLogfile(QDir::toNativeSeparators(Utils::getAppLogPath()).toLocal8Bit().constData());
    SetLogLevel(0);
}
