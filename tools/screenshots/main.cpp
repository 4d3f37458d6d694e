// Makes the pictures in docs/: opens each window with made-up data, as a user sees it with
// the default skin, and saves its picture into the folder given as the only argument. A
// window the main window opens has the parent the program gives it, so that the main
// window's style sheet reaches it as in the program.
// Run it through scripts/screenshots.sh, which gives it a private X display, sound server
// and HOME: it records the screen and writes settings and a made-up history.
//
// A picture is written completely or not at all: a failure leaves the old file in place,
// is reported on stderr, and makes the exit status 1.

#include "Framework.h"
#include "DesktopInput.h"
#include "TaskDaemonRun.h"
#include "OvModalHook.h"
#include "OvResourceMgr.h"
#include "OvSettings.h"
#include "ScEngine.h"
#include "ScPlayer.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "app/RecordHistoryTool.h"
#include "ScCamera.h"
#include "capture_tools/CameraDlg.h"
#include "capture_tools/DlgPaintToScreen.h"
#include "capture_tools/DlgWebcamOptions.h"
#include "capture_tools/DlgSnapshot.h"
#include "capture_tools/FfColor.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "core/SettingsKeys.h"
#include "feedback/FeedBackDialog.h"
#include "hotkeys/DlgHotKeyMessage.h"
#include "hotkeys/FrameMASShotcut.h"
#include "hotkeys/MASShortcutView.h"
#include "output/DlgVideoClip.h"
#include "output/HistoryFileListWidget.h"
#include "output/RecordHistoryDlg.h"
#include "preferences/OptionDialog.h"
#include "preferences/ShortcutTool.h"
#include "recording/DlgRecordLength.h"
#include "recording/FfFloatWindow.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"
#include "tasks/DlgAutoShutdownTips.h"
#include "tasks/TaskManage.h"
#include "tasks/dlgTaskScheduler.h"
#include "TaskWire.h"
#include "watermark/PickClrDlg.h"
#include "watermark/ProgressDialog.h"
#include "watermark/ShadowParam.h"
#include "watermark/ShadowSetDlg.h"
#include "watermark/DlgWatermarkManage.h"
#include "watermark/WaterMarkDataManage.h"
#include "watermark/WhaterMarkMenuDlg.h"
#include "widgets/CustomCombox.h"
#include "widgets/CustomFeedbackLineEdit.h"
#include "widgets/CustomTextEdit.h"
#include "widgets/FfSwitchButton.h"
#include "widgets/OvAutoMoveScrollArea.h"
#include "widgets/OvComboboxViewItemDelegate.h"
#include "widgets/OvSlider.h"
#include "widgets/SearchEdit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <atomic>
#include <cstdio>
#include <functional>

namespace {
const QString kSkin = QStringLiteral("default");
const QColor kBackground(0xf5, 0xf6, 0xf8);
const QRect kRecordedRegion(100, 120, 640, 360);
const QSize kPreviewSize(900, 600);
const QSize kHistorySize(900, 520);
const QSize kPlayerSize(640, 420);
const int kWaitMs = 30000;       // longest wait for a window or the engine
const int kSettleMs = 300;       // time for an animation or a first picture to be painted
const int kBarShotMs = 2500;     // the control bar's picture is taken this long into the recording
const int kRecordedMs = 3000;    // length of the recording shown in the preview
const double kClipSeconds = 3.0; // length of the made-up clip

QString g_out;  // the folder the pictures go to
QString g_work; // a folder for made-up files
int g_failures = 0;
// The main window the dialogs below are opened from, as in the program: their parent, whose
// style sheet reaches them. Hidden until its own picture, which is the last.
MainWindowBase* g_main = nullptr;

void fail(const QString& what)
{
    fprintf(stderr, "sr_screenshots: %s\n", qPrintable(what));
    ++g_failures;
}

using SrTest::spinUntil;

// The window a dialog opened from the main window has as its parent.
QWidget* mainBase() { return g_main; }
// The main window's bottom strip, parent of the watermark drop-down.
QWidget* bottomStrip() { return g_main->mainWindow()->historyTool(); }

void settle(int ms = kSettleMs)
{
    QElapsedTimer timer;
    timer.start();
    spinUntil([&timer, ms] { return timer.elapsed() >= ms; }, ms + 1000);
}

void save(const QImage& image, const QString& name)
{
    const QString path = QDir(g_out).filePath(name);
    if (image.isNull()) {
        fail(QStringLiteral("no picture for %1").arg(name));
        return;
    }
    QSaveFile file(path);
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(image) || !file.commit())
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    else
        printf("%s\n", qPrintable(path));
}

template <typename T = QWidget> T* child(QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// Outside withAnswers a modal question is a failure, answered with "cancel": nobody is
// there to answer it.
void answerUnexpected()
{
    OvModalHook::setAnswerer([](const OvModalRequest& request) {
        fail(QStringLiteral("unexpected question: %1 %2").arg(request.className, request.text));
        return QVariant();
    });
}

// Answers modal questions while `action` runs: `answer` gets each one.
void withAnswers(const OvModalAnswerer& answer, const std::function<void()>& action)
{
    OvModalHook::setAnswerer(answer);
    action();
    answerUnexpected();
}

bool runFfmpeg(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("ffmpeg"), QStringList{"-y", "-v", "error"} + arguments);
    return process.waitForFinished(kWaitMs) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

// ---- the common widgets, with two pop-ups painted under the form ---------------------

QImage grabPopup(QComboBox* combo, int hoveredRow)
{
    combo->showPopup();
    QWidget* popup = combo->view()->window();
    if (!spinUntil([popup] { return popup->isVisible(); }))
        return QImage();
    if (hoveredRow >= 0)
        combo->view()->setCurrentIndex(combo->model()->index(hoveredRow, 0));
    const QImage image = popup->grab().toImage();
    combo->hidePopup();
    return image;
}

void widgets()
{
    QWidget window;
    window.setObjectName(QStringLiteral("gallery"));
    window.setStyleSheet(QStringLiteral("#gallery { background-color: %1; }").arg(kBackground.name()));
    auto* form = new QFormLayout(&window);
    form->setContentsMargins(16, 16, 16, 16);
    form->setVerticalSpacing(12);

    auto* switches = new QWidget;
    auto* switchRow = new QHBoxLayout(switches);
    switchRow->setContentsMargins(0, 0, 0, 0);
    auto* on = new FfSwitchButton;
    on->setBtnChecked(true);
    switchRow->addWidget(new FfSwitchButton);
    switchRow->addWidget(on);
    switchRow->addStretch();
    form->addRow(QStringLiteral("Switch (off, on):"), switches);

    auto* combo = new QComboBox;
    combo->addItems({QStringLiteral("MP4"), QStringLiteral("MOV"), QStringLiteral("GIF")});
    auto* delegate = new OvComboboxViewItemDelegate(combo);
    delegate->setTextColorH(QColor("#ffffff"));
    delegate->setTextColorN(QColor("#1f2329"));
    delegate->setBacColorH(QColor("#4f7cff"));
    delegate->setBacColorN(QColor("#ffffff"));
    combo->setItemDelegate(delegate);
    form->addRow(QStringLiteral("Combo box:"), combo);

    auto* slider = new OvSlider(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setValue(35);
    form->addRow(QStringLiteral("Slider:"), slider);

    auto* search = new SearchEdit(nullptr);
    search->setPlaceholderText(QStringLiteral("Search"));
    form->addRow(QStringLiteral("Search:"), search);

    auto* attachments = new CustomCombox;
    attachments->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    attachments->addText(QStringLiteral("screen-2026-12-06.log"), QStringLiteral("/tmp/a.log"));
    attachments->addText(QStringLiteral("capture.png"), QStringLiteral("/tmp/capture.png"));
    form->addRow(QStringLiteral("Attachments:"), attachments);

    auto* email = new CustomFeedbackLineEdit;
    email->setTipText(QStringLiteral("Enter your email address here"));
    form->addRow(QStringLiteral("E-mail:"), email);

    auto* text = new CustomTextEdit;
    text->setTipText(QStringLiteral("Tips:\nPlease leave any comment, suggestion or error you encountered here."));
    text->setFixedHeight(80);
    form->addRow(QStringLiteral("Feedback:"), text);

    auto* area = new OvAutoMoveScrollArea;
    area->setWidgetResizable(true);
    area->setFixedHeight(90);
    auto* contents = new QWidget;
    auto* column = new QVBoxLayout(contents);
    QList<QLabel*> pages;
    for (int i = 1; i <= 5; ++i) {
        auto* page = new QLabel(QStringLiteral("Page %1").arg(i));
        page->setFixedHeight(60);
        page->setStyleSheet(QStringLiteral("background-color: #e8edf7; padding-left: 8px;"));
        column->addWidget(page);
        pages << page;
    }
    area->setWidget(contents);
    form->addRow(QStringLiteral("Scroll area:"), area);

    window.resize(460, window.sizeHint().height());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return fail(QStringLiteral("the widget gallery was not shown"));
    area->ensureWidgetVisible(pages[2], 0, 0);
    spinUntil([on] { return !on->isSliding(); });

    const QImage formatPopup = grabPopup(combo, 1);
    const QImage attachmentPopup = grabPopup(attachments, -1);
    if (formatPopup.isNull() || attachmentPopup.isNull())
        return fail(QStringLiteral("a pop-up of the widget gallery was not shown"));

    const QImage formImage = window.grab().toImage();
    QImage shot(formImage.width(), formImage.height() + formatPopup.height() + attachmentPopup.height() + 70,
                QImage::Format_ARGB32);
    shot.fill(kBackground);
    QPainter painter(&shot);
    painter.setFont(window.font());
    painter.drawImage(0, 0, formImage);
    int top = formImage.height() + 4;
    painter.drawText(16, top + 14, QStringLiteral("Format pop-up (second row under the cursor):"));
    painter.drawImage(16, top + 22, formatPopup);
    top += 22 + formatPopup.height() + 8;
    painter.drawText(16, top + 14, QStringLiteral("Attachments pop-up:"));
    painter.drawImage(16, top + 22, attachmentPopup);
    painter.end();
    save(shot, QStringLiteral("widgets.png"));
}

// ---- the feedback form after a wrong address was submitted ---------------------------

void feedbackDialog()
{
    FeedBackDialog dialog;
    auto* email = child<QLineEdit>(&dialog, "leFeedbackEmail");
    auto* submit = child<QPushButton>(&dialog, "btnSubmit");
    auto* contents = child<QTextEdit>(&dialog, "txtFeedbackContentsEdit");
    auto* attach = child<QLabel>(&dialog, "lblAddAttach");
    if (!email || !submit || !contents || !attach)
        return fail(QStringLiteral("the feedback form has changed"));
    QTest::keyClicks(email, QStringLiteral("user.example.org"));
    submit->click();
    contents->setPlainText(QStringLiteral("The recording stopped after a minute."));
    const QString file = g_work + QStringLiteral("/attached.txt");
    QFile attachment(file);
    if (!attachment.open(QIODevice::WriteOnly) || attachment.write("attached") < 0)
        return fail(QStringLiteral("cannot write %1").arg(file));
    attachment.close();
    withAnswers(
        [file](const OvModalRequest& request) {
            return request.kind == OvModalRequest::OpenFiles ? QVariant(QStringList{file}) : QVariant();
        },
        [attach] { emit attach->linkActivated(QStringLiteral("#attach")); });
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return fail(QStringLiteral("the feedback form was not shown"));
    dialog.activateWindow();
    email->setFocus();
    settle();
    save(dialog.grab().toImage(), QStringLiteral("feedback-dialog.png"));
}

void drawingStrip(VideoRecCtlWdg& bar);

// ---- a recording of the screen: its control bar, then its preview ---------------------

void controlBarAndPreview()
{
    SrTest::usePlainScreenRecording();
    RecordParameter* p = RecordParameter::instance();
    p->setVideoRect(kRecordedRegion);
    const QString out = g_work + QStringLiteral("/recordings");
    QDir().mkpath(out);
    Utils::setVideoOutputPath(out);

    // Something to record in the region.
    QLabel scenery(QStringLiteral("Quarterly figures\n\n  North   1,240\n  South     980\n  East    1,515"));
    scenery.setWindowFlags(Qt::FramelessWindowHint);
    scenery.setStyleSheet(QStringLiteral("background:#1d4e89; color:white; font-size:34px; padding:30px;"));
    scenery.setGeometry(kRecordedRegion);
    scenery.show();
    if (!QTest::qWaitForWindowExposed(&scenery))
        return fail(QStringLiteral("the recorded scenery was not shown"));

    VideoRecCtlWdg bar;
    bool finished = false;
    QObject::connect(&bar, &VideoRecCtlWdg::sigRecordFinished, [&finished] { finished = true; });
    if (!bar.prepareRecord())
        return fail(QStringLiteral("the recorder could not be prepared"));
    bar.startRecord();
    if (!bar.isRecording())
        return fail(QStringLiteral("the recording did not start"));
    settle(kBarShotMs);
    save(bar.grab().toImage(), QStringLiteral("control-bar.png"));
    drawingStrip(bar);
    settle(kRecordedMs - kBarShotMs);

    bool previewed = false;
    withAnswers(
        [&previewed](const OvModalRequest& request) -> QVariant {
            auto* dlg = qobject_cast<DlgVideoClip*>(request.widget);
            if (!dlg)
                return request.kind == OvModalRequest::MessageBox ? QVariant(request.defaultButton) : QVariant();
            previewed = true;
            if (!spinUntil([dlg] { return dlg->isPlayerReady(); }))
                fail(QStringLiteral("the preview's player did not open the recording"));
            dlg->resize(kPreviewSize);
            dlg->show();
            settle(5 * kSettleMs);
            save(dlg->grab().toImage(), QStringLiteral("preview-dialog.png"));
            child<QPushButton>(dlg, "btnSave")->click();
            bool ended = false;
            QObject::connect(dlg, &QDialog::finished, [&ended] { ended = true; });
            spinUntil([&ended] { return ended; });
            return QVariant();
        },
        [&bar, &finished] {
            child<QToolButton>(&bar, "btnStop")->click();
            spinUntil([&finished] { return finished; });
        });
    if (!previewed)
        fail(QStringLiteral("the preview was not shown"));
}

// ---- the player over a made-up clip, playing and trimming -----------------------------

class PlayerStatus : public CAVPlayerCallback {
public:
    void OnStatueChanged(AVPlayerItemStatus status) override { m_status = int(status); }
    void OnTrimCancel() override {}
    void OnTrimOK(double, double) override {}
    bool ready() const { return m_status == int(AVPlayerItemStatusReadyToPlay); }

private:
    std::atomic<int> m_status{-1};
};

void players()
{
    const QString clip = g_work + QStringLiteral("/clip.mp4");
    const QString seconds = QString::number(kClipSeconds);
    if (!runFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=640x360:rate=30:duration=" + seconds, "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=48000:duration=" + seconds, "-c:v", "libx264", "-pix_fmt",
                    "yuv420p", "-preset", "ultrafast", "-c:a", "aac", "-shortest", clip}))
        return fail(QStringLiteral("ffmpeg could not make the clip"));

    // The clip playing at 2 s, then trimmed to 0.5-1.5 s, each in a host of its own.
    for (const bool trimmed : {false, true}) {
        QWidget host;
        host.resize(kPlayerSize);
        host.show();
        PlayerStatus status;
        auto player = CreateAVPlayer(&status, QFile::encodeName(clip).constData(), &host);
        if (!player || !spinUntil([&status] { return status.ready(); }))
            return fail(QStringLiteral("the player did not open the clip"));
        if (trimmed) {
            if (player->BeginTrimming() != 0 || player->SetTrimBegin(0.5) != 0 || player->SetTrimEnd(1.5) != 0)
                return fail(QStringLiteral("the player did not trim"));
        } else {
            player->Seek(2.0);
            player->Resume();
        }
        settle();
        save(host.grab().toImage(), trimmed ? QStringLiteral("player-trim.png") : QStringLiteral("player.png"));
        player->Pause();
    }
}

// ---- the history of saved files: one row selected, one under the cursor --------------

void historyDialog()
{
    struct Made {
        QString name;
        int type;
        QString resolution;
        QString duration;
        QString size;
        bool exists;
    };
    const QList<Made> made{
        {"Video_26-12-06_16-42-10.mov", HFT_VIDEO, "1920*1080", "00:02:14", "48.31MB", true},
        {"Audio_26-12-06_16-30-02.mp3", HFT_AUDIO, "", "00:05:40", "5.44MB", true},
        {"Snapshot_26-12-06_16-12-55.png", HFT_IMAGE, "1280*800", "", "412.08KB", true},
        {"Quarterly planning meeting - budget, hiring and roadmap, full session recording.mp4", HFT_VIDEO,
         "2560*1440", "01:12:09", "1.21GB", true},
        {"Camera_26-12-05_09-15-31.mov", HFT_VIDEO, "1280*720", "00:00:48", "22.70MB", false}, // moved away
        {"Video_26-12-04_11-03-27.mp4", HFT_VIDEO, "1366*768", "00:10:03", "96.12MB", true},
    };
    const QString folder = g_work + QStringLiteral("/history");
    QDir().mkpath(folder);
    QVariantList stored;
    for (const Made& m : made) {
        const QString path = folder + QLatin1Char('/') + m.name;
        QFile file(path);
        if (m.exists && (!file.open(QIODevice::WriteOnly) || file.write("made up") < 0))
            return fail(QStringLiteral("cannot write %1").arg(path));
        stored << QVariant(QStringList{m.name, path, QString::number(m.type), m.resolution, m.duration, m.size});
    }
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(HistoryFileUtils::settingKey()), stored);

    RecordHistoryDlg dialog(mainBase());
    dialog.resize(kHistorySize);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return fail(QStringLiteral("the history was not shown"));
    HistoryFileListWidget* list = dialog.historyList();
    if (list->count() != made.size())
        return fail(QStringLiteral("the history lists %1 files, not %2").arg(list->count()).arg(made.size()));
    list->setCurrentRow(1);
    const QRect hovered = list->visualItemRect(list->item(made.size() - 1));
    QCursor::setPos(list->viewport()->mapToGlobal(hovered.center() - QPoint(hovered.width() / 4, 0)));
    settle();
    save(dialog.grab().toImage(), QStringLiteral("history-dialog.png"));
    QCursor::setPos(0, 0);
}

// ---- the watermark work's progress window --------------------------------------------

void watermarkProgress()
{
    ProgressDialog dialog;
    dialog.setLoadType(0);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return fail(QStringLiteral("the progress window was not shown"));
    settle();
    save(dialog.grab().toImage(), QStringLiteral("watermark-progress.png"));
    dialog.accept();
}

// ---- the watermark drop-down, colour picker and shadow pop-ups --------------------------

void grabShown(QWidget& window, const QString& name)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return fail(QStringLiteral("%1 was not shown").arg(name));
    settle();
    save(window.grab().toImage(), name);
    window.hide();
}

void watermarkPopups()
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    WaterMarkData logo;
    logo.m_strWaterMarkName = QStringLiteral("Company logo, bottom right corner");
    store->m_lstWaterMarkData.append(logo);
    WhaterMarkMenuDlg menu(bottomStrip());
    menu.onLoadData(store->m_lstWaterMarkData.size() - 1);
    grabShown(menu, QStringLiteral("watermark-dropdown.png"));
    store->reload();

    PickClrDlg colours;
    colours.setClr(QColor(QStringLiteral("#4a86e8")));
    grabShown(colours, QStringLiteral("watermark-colour-picker.png"));

    ShadowSetDlg shadowDlg;
    QImage picture(200, 100, QImage::Format_ARGB32);
    ShadowParam shadow;
    shadow.m_bShadow = true;
    shadow.m_OffsetX = 4;
    shadow.m_OffsetY = 3;
    shadow.m_Blur = 6;
    shadow.m_clrShadow = QColor(QStringLiteral("#434343"));
    shadowDlg.setShadowParam(&shadow, &picture);
    grabShown(shadowDlg, QStringLiteral("watermark-shadow.png"));
}

// ---- the watermark manager, picture and text pages --------------------------------------

void watermarkManager()
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    store->m_nCurIndex = 0;
    {
        DlgWatermarkManage dialog(mainBase());
        dialog.onInitUI();
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return fail(QStringLiteral("the watermark manager was not shown"));
        settle();
        save(dialog.grab().toImage(), QStringLiteral("watermark-manager-picture.png"));
        dialog.findChild<QAbstractButton*>(QStringLiteral("btnUseText"))->click();
        settle();
        save(dialog.grab().toImage(), QStringLiteral("watermark-manager-text.png"));
        dialog.hide();
    }
    store->reload();
}

// ---- the main window as a first start shows it (it ends the engine when closed) ------

// Makes the main window, as a first start shows it, and hides it until its own picture.
bool openMainWindow()
{
    RecordParameter* p = RecordParameter::instance();
    p->setCountDown(false);
    p->setSystemAudioEnable(true);
    p->setMicrophoneEnable(false);
    p->setMouseRecorder(true);
    OvSettings::instance()->setApplicationParam(QLatin1String(SettingsKeys::kRecordMode), 0);
    g_main = MainEntry::createMainWindow();
    if (!QTest::qWaitForWindowExposed(g_main)) {
        MainEntry::destroyMainWindow(g_main);
        g_main = nullptr;
        fail(QStringLiteral("the main window was not shown"));
        return false;
    }
    g_main->hide();
    return true;
}

void mainWindow()
{
    g_main->show();
    if (!QTest::qWaitForWindowExposed(g_main))
        fail(QStringLiteral("the main window was not shown again"));
    if (auto* fullScreen = child<QAbstractButton>(g_main, "btnFullScreen"))
        fullScreen->click();
    settle();
    save(g_main->grab().toImage(), QStringLiteral("main-window.png"));
    MainEntry::destroyMainWindow(g_main);
    g_main = nullptr;
}

// ---- screenshots and drawing on the screen ---------------------------------------------

// The screen as the user sees it, cut to `area`.
QImage screenArea(const QRect& area)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// A made-up document window to take pictures of.
void showDocument(QLabel& document, const QRect& where)
{
    document.setText(QStringLiteral("Quarterly figures\n\n  North   1,240\n  South     980\n  East    1,515\n\n"
                                    "Totals are checked every Monday."));
    document.setWindowFlags(Qt::FramelessWindowHint);
    document.setStyleSheet(QStringLiteral("background:#1d4e89; color:white; font-size:30px; padding:30px;"));
    document.setGeometry(where);
    document.show();
    if (!QTest::qWaitForWindowExposed(&document))
        fail(QStringLiteral("the made-up document was not shown"));
    settle();
}

// The selection overlay with an area selected, a rectangle, an arrow and two callouts drawn,
// and the screenshot dialog beside it.
void screenshotOverlay()
{
    const QRect documentArea(200, 150, 760, 480);
    QLabel document;
    showDocument(document, documentArea);
    DlgSnapshot dlg(nullptr, false);
    if (!dlg.createImageCapture() || !SrTest::waitSelectionOverlay())
        return fail(QStringLiteral("the screenshot overlay did not start"));
    const QRect selection(260, 200, 560, 330);
    if (!SrTest::dragOnScreen(selection.topLeft(), selection.bottomRight()) || !spinUntil([&dlg] { return dlg.isVisible(); })
        || !SrTest::waitPlaced(&dlg))
        return fail(QStringLiteral("the screenshot area was not selected"));
    FfColor* bar = dlg.toolBar();
    const QPoint origin = selection.topLeft();
    SrTest::clickAt(child(bar, "btnRect"));
    SrTest::clickAt(child(bar, "btnThick"));
    SrTest::dragOnScreen(origin + QPoint(30, 60), origin + QPoint(250, 150));
    SrTest::clickAt(child(bar, "btnArrow"));
    SrTest::dragOnScreen(origin + QPoint(420, 260), origin + QPoint(265, 160));
    SrTest::clickAt(child(bar, "btnNumber"));
    SrTest::xdotool({"mousemove", QString::number(origin.x() + 290), QString::number(origin.y() + 80), "click", "1"});
    SrTest::xdotool({"mousemove", QString::number(origin.x() + 290), QString::number(origin.y() + 125), "click", "1"});
    settle();
    const QRect shown = selection.united(dlg.frameGeometry()).adjusted(-60, -60, 60, 60);
    save(screenArea(shown), QStringLiteral("screenshot-overlay.png"));
    dlg.OnClose();
    settle();
}

// The control bar of a running recording with its drawing tool bar open and a rectangle
// drawn on the recorded area.
void drawingStrip(VideoRecCtlWdg& bar)
{
    if (!SrTest::clickAt(child(&bar, "btnEdit")) || !spinUntil([&bar] { return bar.drawingBar()->isVisible(); }))
        return fail(QStringLiteral("the drawing tool bar did not open"));
    SrTest::clickAt(child(bar.drawingBar(), "btnRect"));
    SrTest::clickAt(child(bar.drawingBar(), "btnThick"));
    SrTest::dragOnScreen(kRecordedRegion.topLeft() + QPoint(40, 90), kRecordedRegion.topLeft() + QPoint(330, 250));
    settle();
    save(screenArea(kRecordedRegion.united(bar.frameGeometry()).adjusted(-20, -20, 20, 20)),
         QStringLiteral("control-bar-drawing.png"));
    SrTest::clickAt(child(bar.drawingBar(), "btnQuitEdit"));
}

// A screenshot pinned on the screen, with its close button under the mouse.
void pinnedImage()
{
    const QRect documentArea(200, 150, 760, 480);
    QLabel document;
    showDocument(document, documentArea);
    const QImage picture = screenArea(QRect(documentArea.topLeft(), QSize(420, 260)));
    DlgPaintToScreen pin;
    pin.setImg(picture);
    pin.placePictureAt(QPoint(620, 420));
    pin.show();
    if (!QTest::qWaitForWindowExposed(&pin))
        return fail(QStringLiteral("the pinned image was not shown"));
    const QPoint inside = pin.frameGeometry().center();
    SrTest::xdotool({"mousemove", QString::number(inside.x()), QString::number(inside.y())});
    settle();
    save(screenArea(pin.frameGeometry().united(documentArea).adjusted(-20, -20, 20, 20)), QStringLiteral("pinned-image.png"));
    SrTest::xdotool({"mousemove", "0", "0"});
}

// ---- the hotkeys: the rows (one of them recording), the reminder and the float panel -------

void hotkeys()
{
    {
        QWidget window;
        window.setStyleSheet(QStringLiteral("background:%1;").arg(kBackground.name()));
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(24, 20, 24, 20);
        auto* rows = new FrameMASShotcut(&window);
        layout->addWidget(rows);
        window.resize(460, 230);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return fail(QStringLiteral("the hotkey rows were not shown"));
        rows->view(RP_HK_SNAPSHOT)->setRecording(true);
        rows->view(RP_HK_SNAPSHOT)->setShortcutPlaceholder(QStringLiteral("Ctrl+Shift"));
        settle();
        save(window.grab().toImage(), QStringLiteral("hotkey-rows.png"));
        rows->setCellDisenabled();
    }
    {
        DlgHotKeyMessage reminder(mainBase());
        reminder.setWindowTitle(QStringLiteral("Screen Recorder"));
        reminder.show();
        if (!QTest::qWaitForWindowExposed(&reminder))
            return fail(QStringLiteral("the hotkey reminder was not shown"));
        settle();
        save(reminder.grab().toImage(), QStringLiteral("hotkey-reminder.png"));
        reminder.hide();
    }
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QLabel document;
        showDocument(document, QRect(screen.right() - 520, screen.center().y() - 200, 520, 400));
        FfFloatWindow panel;
        panel.setRecordState(SBS_RECORDING);
        panel.toggle();
        if (!QTest::qWaitForWindowExposed(&panel))
            return fail(QStringLiteral("the float panel was not shown"));
        const QPoint grip(panel.x() + FfFloatWindow::kGripWidth / 2, panel.frameGeometry().center().y());
        SrTest::xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y())});
        settle();
        const QRect area(screen.right() - 200, panel.y() - 60, 201, panel.height() + 120);
        save(screenArea(area), QStringLiteral("float-panel.png"));
        SrTest::xdotool({"mousemove", "0", "0"});
        spinUntil([&panel] { return !panel.isSlidIn(); }, kWaitMs);
        settle();
        save(screenArea(area), QStringLiteral("float-panel-slid-out.png"));
    }
}

// ---- the Preferences, on each page ------------------------------------------------------

void preferences()
{
    const struct {
        const char* page; // the page's button in the dialog's navigation
        const char* name;
    } pages[] = {{"btnRecording", "preferences-recording.png"},
                 {"btnMouse", "preferences-mouse.png"},
                 {"btnHotkeys", "preferences-hotkeys.png"},
                 {"btnOutput", "preferences-output.png"}};
    for (const auto& shot : pages) {
        // Opened from the bottom strip's Preferences button, inside the main window.
        OptionDialog dialog(g_main->mainWindow()->historyTool()->shortcutTool());
        dialog.init();
        dialog.adjustSize();
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return fail(QStringLiteral("the Preferences were not shown"));
        auto* page = child<QAbstractButton>(&dialog, shot.page);
        if (!page)
            return fail(QStringLiteral("the Preferences have no page %1").arg(QString::fromLatin1(shot.page)));
        page->click();
        settle();
        save(dialog.grab().toImage(), QString::fromLatin1(shot.name));
        dialog.hide();
    }
}

// ---- the record length, and the countdown before a recording's finishing action ---------

void recordLength()
{
    DlgRecordLength dialog(mainBase());
    DlgRecordLength::Values values;
    values.enabled = true;
    values.seconds = 30 * 60;
    values.event = RSE_SHUTDOWN;
    dialog.setValues(values);
    grabShown(dialog, QStringLiteral("record-length.png"));
}

void finishingCountdown()
{
    // Only the ticks below count: the picture shows a few seconds gone.
    DlgAutoShutdownTips::setTickIntervalForTests(3600 * 1000);
    DlgAutoShutdownTips dialog(QStringLiteral("The recording is completed, and your computer will shut down "
                                              "automatically after 30 seconds. You can click the Cancel button "
                                              "to suspend."));
    for (int tick = 0; tick < 4; ++tick)
        dialog.updateTips();
    grabShown(dialog, QStringLiteral("countdown.png"));
    dialog.reject();
}

// ---- the task scheduler: its list and its editor, served by a daemon of its own ----------

void taskScheduler()
{
    // A private socket and store, and a power backend that never powers anything off.
    SrTest::TaskDaemonRun daemon(g_work + QStringLiteral("/taskd"));
    QDir().mkpath(daemon.dir);
    qputenv("SR_TASKD_SOCKET", QFile::encodeName(daemon.socket()));
    qputenv("SR_TASKD_ARGS", QFile::encodeName(daemon.options().join(QLatin1Char(' '))));
    daemon.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const bool listening = daemon.start({}, kWaitMs);
    TaskManage* manage = TaskManage::instance();
    if (listening)
        manage->reConnectXPCServer();
    if (listening && manage->isConnected()) {
        const QDate today = QDate::currentDate();
        TaskInfo weekly;
        weekly.name = QStringLiteral("Daily stand-up meeting");
        weekly.enable = true;
        weekly.repeat = true;
        weekly.week = 0x3e; // Monday to Friday
        weekly.date = taskwire::dateText(QDateTime(today, QTime(9, 30)));
        weekly.recinfo.stop = RecordInfo::StopAfterLength;
        weekly.recinfo.length = 15 * 60;
        weekly.recinfo.date = QDateTime(today, QTime(9, 45));
        TaskInfo once;
        once.name = QStringLiteral("Product webinar");
        once.enable = false;
        once.date = taskwire::dateText(QDateTime(today.addDays(3), QTime(14, 0)));
        once.recinfo.stop = RecordInfo::StopAtDate;
        once.recinfo.date = QDateTime(today.addDays(3), QTime(15, 30));
        once.recinfo.completedtask = 1;
        manage->addTaskInfo(weekly);
        manage->addTaskInfo(once);
        manage->reConnectXPCServer(); // the list as the daemon keeps it
        dlgTaskScheduler dialog(mainBase());
        grabShown(dialog, QStringLiteral("task-scheduler.png"));
        auto* list = child<QListWidget>(&dialog, "taskList");
        if (QWidget* row = list->count() ? list->itemWidget(list->item(0)) : nullptr) {
            child<QToolButton>(row, "btnEdit")->click();
            grabShown(dialog, QStringLiteral("task-scheduler-editor.png"));
        } else {
            fail(QStringLiteral("the task scheduler lists no task"));
        }
        // The service page, as "Detect the status of Task Schedule" shows it.
        dlgTaskScheduler service(mainBase());
        QMetaObject::invokeMethod(&service, "onCheckXPC");
        grabShown(service, QStringLiteral("task-scheduler-service.png"));
    } else {
        fail(QStringLiteral("the task daemon did not answer"));
    }
    daemon.stop();
    qunsetenv("SR_TASKD_SOCKET");
    qunsetenv("SR_TASKD_ARGS");
}
} // namespace

// ---- the webcam: the recorder, the overlay over the screen and the options ----------------

void webcam()
{
    scSetSyntheticCamera("1");
    {
        RecordParameter::instance()->setOnlyRecordCamera(true);
        CameraDlg recorder(true, mainBase());
        recorder.resize(CameraDlg::kDefaultWidth * 2 / 3, CameraDlg::kDefaultHeight * 2 / 3);
        recorder.move(40, 40);
        recorder.show();
        if (!QTest::qWaitForWindowExposed(&recorder))
            return fail(QStringLiteral("the webcam recorder was not shown"));
        settle(1000);
        save(recorder.grab().toImage(), QStringLiteral("webcam-recorder.png"));
        recorder.on_btnRec_clicked();
        settle(4600);
        save(recorder.grab().toImage(), QStringLiteral("webcam-recording.png"));
        // Closing asks, stops and offers the recording, which is not kept here.
        withAnswers(
            [](const OvModalRequest& request) {
                return request.kind == OvModalRequest::MessageBox ? QVariant(0x4000) /* Yes */ : QVariant(0);
            },
            [&recorder] {
                recorder.close();
                spinUntil([&recorder] { return !recorder.isBusy(); }, kWaitMs);
            });
    }
    {
        QLabel document;
        showDocument(document, QRect(60, 60, 700, 460));
        CameraDlg overlay(false, mainBase());
        overlay.setGeometry(520, 340, 320, 200);
        overlay.show();
        if (!QTest::qWaitForWindowExposed(&overlay))
            return fail(QStringLiteral("the webcam overlay was not shown"));
        settle(1000);
        save(screenArea(QRect(40, 40, 840, 540)), QStringLiteral("webcam-overlay.png"));
    }
    {
        DlgWebcamOptions options(mainBase());
        options.show();
        if (!QTest::qWaitForWindowExposed(&options))
            return fail(QStringLiteral("the webcam options were not shown"));
        settle(1000);
        save(options.grab().toImage(), QStringLiteral("webcam-options.png"));
    }
    scSetSyntheticCamera(nullptr);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <folder for the pictures>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    Framework::prepareApplication();
    QApplication app(argc, argv);
    g_out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    if (!QFileInfo(g_out).isDir()) {
        fprintf(stderr, "sr_screenshots: %s is not a folder\n", qPrintable(g_out));
        return 2;
    }
    g_work = QDir::tempPath() + QStringLiteral("/sr-screenshots-%1").arg(QCoreApplication::applicationPid());
    if (!QDir().mkpath(g_work)) {
        fprintf(stderr, "sr_screenshots: cannot make %s\n", qPrintable(g_work));
        return 1;
    }
    answerUnexpected();
    if (!OvResourceMgr::instance()->setSkin(kSkin)) {
        fprintf(stderr, "sr_screenshots: the skin \"%s\" cannot be loaded\n", qPrintable(kSkin));
        return 1;
    }
    if (scInitialize() != 0) {
        fprintf(stderr, "sr_screenshots: the engine cannot start\n");
        return 1;
    }

    widgets();
    feedbackDialog();
    watermarkProgress();
    players();
    controlBarAndPreview();
    screenshotOverlay();
    pinnedImage();
    finishingCountdown();
    // The windows the main window opens, with it as their parent.
    if (openMainWindow()) {
        watermarkPopups();
        watermarkManager();
        historyDialog();
        webcam();
        hotkeys();
        preferences();
        recordLength();
        taskScheduler();
        mainWindow();
    }

    scUninitialize();
    QDir(g_work).removeRecursively();
    OvModalHook::setAnswerer({});
    return g_failures == 0 ? 0 : 1;
}
