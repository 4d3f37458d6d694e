// The Preferences dialog against the real settings store: every control's key and default,
// the editing rules with their warnings and reverts, and the folder check.

#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "core/RecordParameter.h"
#include "preferences/OptionDialog.h"
#include "services/Utils.h"
#include "ui_OptionDialog.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalBlocker>
#include <QtTest>
#include <functional>

namespace {
const char* const kSwatch[] = {"#d9252b", "#ffb517", "#3788e4"};

using Read = std::function<QVariant(Ui::OptionDialog*)>;
using Write = std::function<void(Ui::OptionDialog*, const QVariant&)>;

struct Control {
    Read read;
    Write write;
};

template <class Button>
Control box(Button* Ui_OptionDialog::*member, bool inverted = false)
{
    return {[=](Ui::OptionDialog* ui) { return QVariant((ui->*member)->isChecked() != inverted); },
            [=](Ui::OptionDialog* ui, const QVariant& v) { (ui->*member)->setChecked(v.toBool() != inverted); }};
}

// Selected by value with the list's rules silent; the rules have their own tests.
Control list(QComboBox* Ui_OptionDialog::*member)
{
    return {[=](Ui::OptionDialog* ui) { return (ui->*member)->currentData(); },
            [=](Ui::OptionDialog* ui, const QVariant& v) {
                const QSignalBlocker blocker(ui->*member);
                (ui->*member)->setCurrentIndex((ui->*member)->findData(v.toInt()));
            }};
}

Control field(QLineEdit* Ui_OptionDialog::*member)
{
    return {[=](Ui::OptionDialog* ui) { return QVariant((ui->*member)->text()); },
            [=](Ui::OptionDialog* ui, const QVariant& v) { (ui->*member)->setText(v.toString()); }};
}

Control swatches(QToolButton* Ui_OptionDialog::*b1, QToolButton* Ui_OptionDialog::*b2,
                 QToolButton* Ui_OptionDialog::*b3)
{
    const QList<QToolButton* Ui_OptionDialog::*> buttons{b1, b2, b3};
    return {[=](Ui::OptionDialog* ui) {
                for (int i = 0; i < 3; ++i)
                    if ((ui->*buttons[i])->isChecked())
                        return QVariant(QString::fromLatin1(kSwatch[i]));
                return QVariant();
            },
            [=](Ui::OptionDialog* ui, const QVariant& v) {
                for (int i = 0; i < 3; ++i)
                    if (v.toString() == QLatin1String(kSwatch[i]))
                        (ui->*buttons[i])->click();
            }};
}

// The hidden close-behaviour pair: checking "Exit program" or "Minimize to system tray".
Control closeChoice()
{
    return {[](Ui::OptionDialog* ui) { return QVariant(ui->rdbExit->isChecked()); },
            [](Ui::OptionDialog* ui, const QVariant& v) {
                (v.toBool() ? ui->rdbExit : ui->rdbMinimize)->setChecked(true);
            }};
}

Control clickEffect()
{
    return {[](Ui::OptionDialog* ui) {
                return QVariant(ui->btnMouseClick->isChecked() ? 1 : ui->btnMouseFlash->isChecked() ? 2 : 0);
            },
            [](Ui::OptionDialog* ui, const QVariant& v) {
                QToolButton* const buttons[] = {ui->btnMouseNone, ui->btnMouseClick, ui->btnMouseFlash};
                if (!buttons[v.toInt()]->isChecked())
                    buttons[v.toInt()]->click();
            }};
}

QVariant stored(const QString& key) { return OvSettings::instance()->applicationParam(key); }

bool same(const QVariant& actual, const QVariant& expected)
{
    if (expected.type() == QVariant::Bool)
        return actual.toBool() == expected.toBool();
    if (expected.type() == QVariant::Int)
        return actual.toInt() == expected.toInt();
    return actual.toString() == expected.toString();
}
} // namespace

Q_DECLARE_METATYPE(Control)

class OptionDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void controlLoadsSavesAndRestoresItsKey_data();
    void controlLoadsSavesAndRestoresItsKey();
    void unsupportedFormatKeepsFormatCodecAndRateTogether();
    void valueWithoutEntryIsKeptAsStored();
    void languageChangeKeepsListValues();
    void editRulesWarnAndRevert();
    void unwritableFolderIsRefused();
    void folderButtonsSayWhatTheyOpen();
    void closeAsksBeforeDroppingEdits();
    void closeAsksOnlyForComparedChanges_data();
    void closeAsksOnlyForComparedChanges();
    void swatchesShowTheirColours();
};

void OptionDialogTest::controlLoadsSavesAndRestoresItsKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("other");
    QTest::addColumn<QVariant>("restored");
    QTest::addColumn<Control>("control");
    using U = Ui::OptionDialog;
    const auto row = [](const char* key, const QVariant& def, const QVariant& other, const QVariant& restored,
                        const Control& control) {
        QTest::newRow(key) << QString::fromLatin1(key) << def << other << restored << control;
    };
    row("CountDown", true, false, true, box(&U::chbCountdown));
    row("beep", false, true, false, box(&U::chbBeep));
    row("ShowBoundary", true, false, true, box(&U::chbShowBoundary));
    row("HideFloat", false, true, false, box(&U::chbHideFloatBar));
    row("MoveRegion", false, true, false, box(&U::chbMoveRegion));
    row("HideDesktop", false, true, false, box(&U::chbHideIcon));
    row("HideTaskbar", false, true, false, box(&U::chbAutoHide));
    row("HideMain", true, false, true, box(&U::chbHidePannel));
    row("AutoSave", false, true, false, box(&U::chbAutoPerview, true));
    row("FollowSystemTheme", false, true, false, box(&U::chbFollowTheme));
    row("excludeFloatBar", false, true, false, box(&U::chbExcludeFloatBar));
    row("mini", false, true, true, box(&U::chbOnlyMini));
    row("CloseWhenClos", false, true, false, closeChoice());
    row("MouseOpt/CursorEnable", true, false, true, box(&U::chbCursor));
    row("MouseOpt/Indicate", true, false, false, box(&U::chbIndicate));
    row("MouseOpt/MouseClick", 1, 2, 0, clickEffect());
    row("MouseOpt/ColorHighLight", "#ffb517", "#3788e4", "#ffb517", swatches(&U::btnClick1, &U::btnClick2, &U::btnClick3));
    row("MouseOpt/ColorNormal", "#d9252b", "#3788e4", "#d9252b", swatches(&U::btnArea1, &U::btnArea2, &U::btnArea3));
    row("VideoFormat", int(RP_FMT_MOV), int(RP_FMT_MP4), int(RP_FMT_MOV), list(&U::cbType));
    row("VideoCodec", int(RP_CODEC_H264), int(RP_CODEC_HEVC), int(RP_CODEC_H264), list(&U::cbVideoCodec));
    row("VideoFrameRate", 30, 25, 30, list(&U::cbVideoFrameRate));
    row("VideoQuality", 3, 5, 3, list(&U::cbVideoQuality));
    row("AudioFormat", int(RP_FMT_MP3), int(RP_FMT_FLAC), int(RP_FMT_MP3), list(&U::cbAudioFormat));
    row("AudioQuality", 3, 5, 4, list(&U::cbAudioQuality));
    row("ImageFormat", int(RP_FMT_PNG), int(RP_FMT_BMP), int(RP_FMT_PNG), list(&U::cmbImgFormat));
    const QString videoDefault = Utils::getOriginalVideoOutputPath();
    const QString snapshotDefault = Utils::getOriginalSnapshotPath();
    row("Path/VideoFolder", videoDefault, SrTest::newFolder("videos"), videoDefault, field(&U::edtSaveFile));
    row("Path/ScreenshotsFolder", snapshotDefault, SrTest::newFolder("shots"), snapshotDefault,
        field(&U::edtSnapshotFile));
}

void OptionDialogTest::controlLoadsSavesAndRestoresItsKey()
{
    QFETCH(QString, key);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, other);
    QFETCH(QVariant, restored);
    QFETCH(Control, control);
    if (key == QLatin1String("VideoCodec") && !Utils::getSupportCodecs(RP_FMT_MOV).contains(RP_CODEC_HEVC))
        QSKIP("the engine has no HEVC encoder");
    OvSettings* settings = OvSettings::instance();

    settings->removeApplicationParam(key);
    {
        OptionDialog dialog;
        dialog.init();
        QVERIFY2(same(control.read(dialog.ui()), defaultValue), "the default is not loaded");
    }
    settings->setApplicationParam(key, other);
    {
        OptionDialog dialog;
        dialog.init();
        QVERIFY2(same(control.read(dialog.ui()), other), "the stored value is not loaded");
        control.write(dialog.ui(), defaultValue);
        dialog.accept();
        QVERIFY2(same(stored(key), defaultValue), qPrintable(stored(key).toString()));
    }
    settings->setApplicationParam(key, other);
    {
        OptionDialog dialog;
        dialog.init();
        dialog.ui()->btnRestor->click();
        dialog.accept();
        QVERIFY2(same(stored(key), restored), qPrintable(stored(key).toString()));
    }
    ModalAnswers::clear(); // the questions of the rules are not this test's concern
}

void OptionDialogTest::unsupportedFormatKeepsFormatCodecAndRateTogether()
{
    OvSettings* settings = OvSettings::instance();
    // Gif shown, then an unsupported MP4 chosen: back to Gif with Gif's lists.
    settings->setApplicationParam("VideoFormat", int(RP_FMT_GIF));
    settings->setApplicationParam("VideoCodec", int(RP_CODEC_GIF));
    settings->setApplicationParam("VideoFrameRate", 6);
    {
        FakeSeam seam;
        seam.unwritable = {OVFT_MP4};
        OptionDialog dialog;
        dialog.init();
        ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
        dialog.ui()->cbType->setCurrentIndex(dialog.ui()->cbType->findData(RP_FMT_MP4));
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QCOMPARE(dialog.ui()->cbType->currentData().toInt(), int(RP_FMT_GIF));
        dialog.accept();
    }
    QCOMPARE(stored("VideoFormat").toInt(), int(RP_FMT_GIF));
    QCOMPARE(stored("VideoCodec").toInt(), int(RP_CODEC_GIF));
    QCOMPARE(stored("VideoFrameRate").toInt(), 6);

    // The stored format itself unsupported: the first supported one with its own lists.
    settings->setApplicationParam("VideoFormat", int(RP_FMT_MOV));
    settings->setApplicationParam("VideoCodec", int(RP_CODEC_PRORES422));
    ModalAnswers::clear();
    {
        FakeSeam seam;
        seam.unwritable = {OVFT_MOV};
        OptionDialog dialog;
        ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
        dialog.init();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        dialog.accept();
    }
    QCOMPARE(stored("VideoFormat").toInt(), int(RP_FMT_MP4));
    QVERIFY(Utils::getSupportCodecs(RP_FMT_MP4).contains(stored("VideoCodec").toInt()));
    QVERIFY(QList<int>({20, 24, 25, 30, 60}).contains(stored("VideoFrameRate").toInt()));
}

void OptionDialogTest::valueWithoutEntryIsKeptAsStored()
{
    OvSettings* settings = OvSettings::instance();
    settings->setApplicationParam("ImageFormat", int(RP_FMT_JPG));
    settings->setApplicationParam("AudioFormat", 99);
    {
        OptionDialog dialog;
        dialog.init();
        QCOMPARE(dialog.ui()->cmbImgFormat->currentData().toInt(), int(RP_FMT_JPEG));
        dialog.accept();
    }
    QCOMPARE(stored("ImageFormat").toInt(), int(RP_FMT_JPG));
    QCOMPARE(stored("AudioFormat").toInt(), 99);
}

void OptionDialogTest::languageChangeKeepsListValues()
{
    OvSettings* settings = OvSettings::instance();
    settings->setApplicationParam("VideoFormat", int(RP_FMT_GIF));
    settings->setApplicationParam("VideoFrameRate", 6);
    settings->setApplicationParam("VideoQuality", 5);
    settings->setApplicationParam("AudioQuality", 2);
    {
        OptionDialog dialog;
        dialog.init();
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&dialog, &change);
        QCOMPARE(dialog.ui()->cbVideoFrameRate->count(), 6);
        dialog.accept();
    }
    QCOMPARE(stored("VideoFrameRate").toInt(), 6);
    QCOMPARE(stored("VideoQuality").toInt(), 5);
    QCOMPARE(stored("AudioQuality").toInt(), 2);
}

void OptionDialogTest::editRulesWarnAndRevert()
{
    OvSettings* settings = OvSettings::instance();
    settings->setApplicationParam("VideoFormat", int(RP_FMT_MOV));
    settings->setApplicationParam("VideoCodec", int(RP_CODEC_H264));
    settings->setApplicationParam("VideoFrameRate", 60);
    settings->setApplicationParam("AudioFormat", int(RP_FMT_MP3));
    FakeSeam seam;
    seam.otherProcessor = true;
    OptionDialog dialog;
    dialog.init();
    QVERIFY2(ModalAnswers::asked().isEmpty(), "loading warned");
    Ui::OptionDialog* ui = dialog.ui();

    // A codec refused at its prompt goes back to the one before.
    const int prores = ui->cbVideoCodec->findData(RP_CODEC_PRORES422);
    if (prores >= 0) {
        ModalAnswers::push(OvModalRequest::MessageBox, 0x400000);
        ui->cbVideoCodec->setCurrentIndex(prores);
        QCOMPARE(ui->cbVideoCodec->currentData().toInt(), int(RP_CODEC_H264));
        QCOMPARE(ModalAnswers::messages().size(), 1);
    }
    ModalAnswers::clear();

    // Gif: one size notice and its own rates; 60 fps of another format: one notice, kept.
    ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
    ui->cbType->setCurrentIndex(ui->cbType->findData(RP_FMT_GIF));
    QCOMPARE(ui->cbVideoFrameRate->currentData().toInt(), 4);
    QCOMPARE(ui->cbVideoFrameRate->itemData(ui->cbVideoFrameRate->count() - 1).toInt(), 8);
    ui->cbType->setCurrentIndex(ui->cbType->findData(RP_FMT_MP4));
    ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
    ui->cbVideoFrameRate->setCurrentIndex(ui->cbVideoFrameRate->findData(60));
    QCOMPARE(ui->cbVideoFrameRate->currentData().toInt(), 60);
    QCOMPARE(ModalAnswers::messages().size(), 2);

    // OGG on a machine that is not x86_64: a notice and the format before.
    ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
    ui->cbAudioFormat->setCurrentIndex(ui->cbAudioFormat->findData(RP_FMT_OGG));
    QCOMPARE(ui->cbAudioFormat->currentData().toInt(), int(RP_FMT_MP3));
    QCOMPARE(ModalAnswers::messages().size(), 3);
}

void OptionDialogTest::unwritableFolderIsRefused()
{
    const QString before = SrTest::newFolder("kept");
    Utils::setVideoOutputPath(before);
    OptionDialog dialog;
    dialog.init();
    ModalAnswers::push(OvModalRequest::Directory, QStringLiteral("/proc"));
    ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
    dialog.ui()->btnOutputFolderBrowse->click();
    QCOMPARE(ModalAnswers::messages().size(), 1);
    QVERIFY(ModalAnswers::messages().first().contains(QLatin1String("/proc")));
    QCOMPARE(dialog.ui()->edtSaveFile->text(), before);
    dialog.accept();
    QCOMPARE(Utils::getVideoOutputPath(), before);
}

void OptionDialogTest::folderButtonsSayWhatTheyOpen()
{
    OptionDialog dialog;
    dialog.init();
    for (QToolButton* browse : {dialog.ui()->btnOutputFolderBrowse, dialog.ui()->btnSnapshotBrowse})
        QCOMPARE(browse->toolTip(), QStringLiteral("Open browser"));
    for (QToolButton* open : {dialog.ui()->btnSaveFileOpen, dialog.ui()->btnSnapshotFileOpen})
        QCOMPARE(open->toolTip(), QStringLiteral("Open folder"));
}

void OptionDialogTest::closeAsksBeforeDroppingEdits()
{
    OvSettings::instance()->setApplicationParam("beep", false);
    OptionDialog dialog;
    dialog.init();
    dialog.show();
    dialog.ui()->chbBeep->setChecked(true);

    ModalAnswers::push(OvModalRequest::MessageBox, 0x400000); // Cancel: stays open with the edit
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.ui()->chbBeep->isChecked());
    ModalAnswers::push(OvModalRequest::MessageBox, 0x10000); // No: nothing written
    dialog.ui()->btnCancel->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(stored("beep").toBool(), false);
    QCOMPARE(ModalAnswers::messages().size(), 2);
}

void OptionDialogTest::closeAsksOnlyForComparedChanges_data()
{
    QTest::addColumn<Control>("control");
    QTest::addColumn<QVariant>("one");
    QTest::addColumn<QVariant>("other");
    QTest::addColumn<bool>("asks");
    using U = Ui::OptionDialog;
    const auto row = [](const char* name, const Control& control, const QVariant& one, const QVariant& other,
                        bool asks) { QTest::newRow(name) << control << one << other << asks; };
    row("countdown", box(&U::chbCountdown), true, false, true);
    row("beep", box(&U::chbBeep), true, false, true);
    row("boundary", box(&U::chbShowBoundary), true, false, true);
    row("hide float panel", box(&U::chbHideFloatBar), true, false, true);
    row("move region", box(&U::chbMoveRegion), true, false, true);
    row("hide desktop icons", box(&U::chbHideIcon), true, false, true);
    row("hide dock", box(&U::chbAutoHide), true, false, true);
    row("hide main window", box(&U::chbHidePannel), true, false, true);
    row("preview", box(&U::chbAutoPerview), true, false, true);
    row("follow theme", box(&U::chbFollowTheme), true, false, true);
    row("exclude float panel", box(&U::chbExcludeFloatBar), true, false, true);
    row("mini", box(&U::chbOnlyMini), true, false, true);
    row("close choice", closeChoice(), true, false, true);
    row("cursor", box(&U::chbCursor), true, false, true);
    row("click effect", clickEffect(), 1, 2, true);
    row("update on exit", box(&U::chbUpdateOnExit), true, false, true);
    row("video format", list(&U::cbType), int(RP_FMT_MOV), int(RP_FMT_MP4), true);
    row("frame rate", list(&U::cbVideoFrameRate), 25, 30, true);
    row("video quality", list(&U::cbVideoQuality), 2, 5, true);
    row("audio format", list(&U::cbAudioFormat), int(RP_FMT_MP3), int(RP_FMT_FLAC), true);
    row("screenshot format", list(&U::cmbImgFormat), int(RP_FMT_PNG), int(RP_FMT_BMP), true);
    row("video folder", field(&U::edtSaveFile), SrTest::newFolder("asked-1"), SrTest::newFolder("asked-2"), true);
    row("screenshot folder", field(&U::edtSnapshotFile), SrTest::newFolder("asked-3"), SrTest::newFolder("asked-4"),
        true);
    row("highlight", box(&U::chbIndicate), true, false, false);
    row("audio quality", list(&U::cbAudioQuality), 2, 5, false);
    row("automatic updates", box(&U::chbAutoUpdates), true, false, false);
    row("blink colour", swatches(&U::btnClick1, &U::btnClick2, &U::btnClick3), kSwatch[0], kSwatch[2], false);
    row("area colour", swatches(&U::btnArea1, &U::btnArea2, &U::btnArea3), kSwatch[0], kSwatch[2], false);
}

// Closing after a change asks whether to save exactly for the compared controls; either way
// closing without Yes writes nothing.
void OptionDialogTest::closeAsksOnlyForComparedChanges()
{
    QFETCH(Control, control);
    QFETCH(QVariant, one);
    QFETCH(QVariant, other);
    QFETCH(bool, asks);
    const QString file = OvSettings::instance()->fileName();
    OptionDialog dialog;
    dialog.init();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY2(ModalAnswers::asked().isEmpty(), "loading asked");
    const auto storedBytes = [&file] {
        QFile stored(file);
        return stored.open(QIODevice::ReadOnly) ? stored.readAll() : QByteArray();
    };
    const QByteArray before = storedBytes();
    control.write(dialog.ui(), same(control.read(dialog.ui()), one) ? other : one);
    if (asks)
        ModalAnswers::push(OvModalRequest::MessageBox, 0x10000); // No
    QTest::mouseClick(dialog.ui()->btnCancel, Qt::LeftButton);
    QCOMPARE(ModalAnswers::messages().size(), asks ? 1 : 0);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(storedBytes(), before);
}

void OptionDialogTest::swatchesShowTheirColours()
{
    const auto shown = [](QWidget* swatch) {
        const QImage image = swatch->grab().toImage();
        return QColor(image.pixel(image.rect().center()));
    };
    RecordParameter::instance()->setMouseColor(QColor(kSwatch[2]), QColor(0x12, 0x34, 0x56));
    OptionDialog dialog;
    dialog.init();
    QCOMPARE(shown(dialog.ui()->btnArea2), QColor(kSwatch[1]));
    QCOMPARE(shown(dialog.ui()->btnAreaChoose), QColor(0x12, 0x34, 0x56));
    ModalAnswers::push(OvModalRequest::ColorDialog, QColor(0x65, 0x43, 0x21));
    dialog.ui()->btnClickChoose->click();
    QCOMPARE(shown(dialog.ui()->btnClickChoose), QColor(0x65, 0x43, 0x21));
}

SR_TEST(OptionDialogTest)
#include "tst_optiondialog.moc"
