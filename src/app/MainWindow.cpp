#include "MainWindow.h"

#include "Log.h"
#include "HotKeyDispatcher.h"
#include "HotKeyReminder.h"
#include "MainWindowBase.h"
#include "MainWindowStyle.h"
#include "OvSettings.h"
#include "RecordChecks.h"
#include "RecordHistoryTool.h"
#include "RecordStartGate.h"
#include "ScEngine.h"
#include "SnapshotFlow.h"
#include "TaskRecordStart.h"
#include "WebcamHost.h"
#include "capture_tools/CameraDlg.h"
#include "core/CameraManager.h"
#include "core/DeviceManager.h"
#include "core/RecordParameter.h"
#include "core/RecordState.h"
#include "core/ScreenRecorder.h"
#include "core/SettingsKeys.h"
#include "core/SignalsTransfer.h"
#include "core/WindowListManger.h"
#include "output/RecordingRecovery.h"
#include "preferences/ShortcutTool.h"
#include "recording/CountdownWidget.h"
#include "recording/DlgQuitPrompt.h"
#include "recording/DlgSelectWindow.h"
#include "recording/ScreenRegion.h"
#include "recording/SystemStatusBar.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QIcon>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
// The least pause between the record click (or a task's start) and the recording, when no
// countdown runs; the numbers a countdown shows.
const int kStartDelayMs = 500;
// The longest a start without a countdown waits past the record click for the recorder's
// sound to flow: the sound server holds a new capture back for up to about two seconds.
const int kSoundWaitMostMs = 2500;
const int kCountdownFrom = 3;
// The pause between the end of a timed recording and its finishing action's countdown.
const int kFinishActionDelayMs = 500;
// The latest the engine starts loading when the window has not painted by then.
const int kEngineLoadLatestMs = 1000;

const char* const kModeKey = SettingsKeys::kRecordMode;
const char* const kRegionKey = SettingsKeys::kRegionRect;
const char* const kRegionSizeKey = SettingsKeys::kRegionSize;
const char* const kMouseSizeKey = SettingsKeys::kMouseRegionSize;

QVariant setting(const char* key, const QVariant& def)
{
    return OvSettings::instance()->applicationParam(QString::fromLatin1(key), def);
}
void setSetting(const char* key, const QVariant& value)
{
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(key), value);
}
} // namespace

MainWindow::MainWindow(MainWindowBase* base)
    : QMainWindow(nullptr)
    , m_pUi(new Ui::MainWindow)
    , m_pBase(base)
{
    m_pUi->setupUi(this);
    RecordState::instance()->setHotKeysEnabled(true);
    m_pWebcam = new WebcamHost(base, m_pUi->swWebcam, m_pUi->historyTool, this);
    m_pHotKeys = new HotKeyDispatcher(this, m_pWebcam);
    m_pSnapshots = new SnapshotFlow(base, m_pWebcam, [this] { showMainWindow(); }, this);
    setObjectName(QStringLiteral("MainWindow"));
    m_pUi->centralwidget->setStyleSheet(MainWindowStyle::styleSheet());
    initEngine();
    initModeButtons();
    initOptions();
    initSwitches();
    initConnections();
    const int mode = setting(kModeKey, int(RecordTarget::FullScreen)).toInt();
    setRecordMode(mode >= RecordTarget::FullScreen && mode <= RecordTarget::Webcam ? RecordTarget::Mode(mode)
                                                                                   : RecordTarget::FullScreen);
    SystemStatusBar::instance()->setSysBarState(SBS_NORMAL);
    SystemStatusBar::instance()->showIcon();
    m_pReminder = new HotKeyReminder(m_pBase ? static_cast<QWidget*>(m_pBase) : this, this);
    // Once the window is up: recordings a crash left behind are saved, off the GUI thread.
    QTimer::singleShot(0, this, [this] { RecordingRecovery::start(this, m_pBase); });
}

MainWindow::~MainWindow()
{
    Log("MainWindow", 2, "shutting down");
    // The hotkey rows let go of the hot keys while the hub their presses go to still exists.
    delete m_pReminder;
    delete m_pHotKeys;
    if (m_pCountdown)
        delete m_pCountdown;
    delete m_pCtlWdg;
    // A screenshot still running gives its capture back before the engine stops.
    delete m_pSnapshots;
    delete m_pWebcam;
    // The camera reports to the hub from its own threads: it goes first.
    CameraManager::release();
    DeviceManager::release();
    RecordParameter::release();
    WindowListManger::release();
    SignalsTransfer::release();
    ScreenRegion::release();
    ScreenRecorder::release();
    scUninitialize();
    delete m_pUi;
}

RecordHistoryTool* MainWindow::historyTool() const { return m_pUi->historyTool; }

void MainWindow::startEngine()
{
    if (m_engineStarted)
        return;
    m_engineStarted = true;
    const int rc = scInitialize();
    Log("MainWindow", 2, "engine initialised: %d", rc);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pBase && event->type() == QEvent::Paint) {
        m_pBase->removeEventFilter(this);
        QTimer::singleShot(0, this, &MainWindow::startEngine); // after this first paint
    }
    return QMainWindow::eventFilter(watched, event);
}

VideoRecCtlWdg* MainWindow::controlBar() const
{
    return qobject_cast<VideoRecCtlWdg*>(m_pCtlWdg.data());
}

// ---- set-up ---------------------------------------------------------------------------------

void MainWindow::initEngine()
{
    // The engine library loads on a worker once the window has painted (loading takes the
    // dynamic loader's lock, which the toolkit's own plug-in loads at start-up would wait
    // for), or after a while if it is not shown. A call that needs the engine before then
    // loads it and waits.
    if (m_pBase)
        m_pBase->installEventFilter(this);
    QTimer::singleShot(kEngineLoadLatestMs, this, &MainWindow::startEngine);
    DeviceManager* devices = DeviceManager::instance();
    const int display = qBound(0, RecordParameter::instance()->getUseDisplayIndex(), qMax(0, devices->getDisplayCount() - 1));
    devices->setSelectedDisplay(display);
    RecordParameter::instance()->setUseDisplayIndex(display);
    RecordParameter::instance()->setDisplayName(devices->getDisplayName(display));
}

void MainWindow::initModeButtons()
{
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    const QList<QPair<QAbstractButton*, const char*>> buttons = {
        {m_pUi->btnFullScreen, "mode_fullscreen"}, {m_pUi->btnRegion, "mode_region"}, {m_pUi->btnWindow, "mode_window"},
        {m_pUi->btnAroundMouse, "mode_mouse"},     {m_pUi->btnAudioOnly, "mode_audio"},   {m_pUi->btnWebcam, "mode_webcam"}};
    for (int i = 0; i < buttons.size(); ++i) {
        buttons[i].first->setIcon(QIcon(QStringLiteral(":/sr/icons/%1.svg").arg(QLatin1String(buttons[i].second))));
        group->addButton(buttons[i].first, i);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        setRecordMode(RecordTarget::Mode(id));
        // The webcam is recorded in a window of its own, which opens at once.
        if (id == RecordTarget::Webcam)
            openWebcamRecorder();
    });
}

void MainWindow::initOptions()
{
    fillDisplays();
    connect(m_pUi->cmbDisplay, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        DeviceManager::instance()->setSelectedDisplay(index);
        RecordParameter::instance()->setUseDisplayIndex(index);
        RecordParameter::instance()->setDisplayName(DeviceManager::instance()->getDisplayName(index));
        if (m_mode == RecordTarget::Region)
            showRegionBox();
    });

    m_pUi->cmbRegionSize->addItem(tr("Free size"), QSize());
    for (const QSize& s : RecordTarget::presetSizes()) {
        m_pUi->cmbRegionSize->addItem(RecordTarget::sizeText(s), s);
        m_pUi->cmbMouseSize->addItem(RecordTarget::sizeText(s), s);
    }
    m_pUi->cmbRegionSize->setCurrentIndex(qBound(0, setting(kRegionSizeKey, 0).toInt(), m_pUi->cmbRegionSize->count() - 1));
    connect(m_pUi->cmbRegionSize, QOverload<int>::of(&QComboBox::activated), this, &MainWindow::onRegionSizeChanged);
    connect(m_pUi->btnSelectRegion, &QPushButton::clicked, this, &MainWindow::onSelectRegion);

    const QSize mouseSize = setting(kMouseSizeKey, QSize(640, 480)).toSize();
    const int mouseIndex = m_pUi->cmbMouseSize->findData(mouseSize);
    m_pUi->cmbMouseSize->setCurrentIndex(mouseIndex < 0 ? 0 : mouseIndex);
    RecordParameter::instance()->setAroundMouseSize(m_pUi->cmbMouseSize->currentData().toSize());
    connect(m_pUi->cmbMouseSize, QOverload<int>::of(&QComboBox::activated), this, [this] {
        const QSize size = m_pUi->cmbMouseSize->currentData().toSize();
        RecordParameter::instance()->setAroundMouseSize(size);
        setSetting(kMouseSizeKey, size);
    });

    connect(m_pUi->btnSelectWindow, &QPushButton::clicked, this, &MainWindow::onSelectWindow);
    updateWindowLabel();
}

void MainWindow::fillDisplays()
{
    DeviceManager* devices = DeviceManager::instance();
    m_pUi->cmbDisplay->clear();
    for (int i = 0; i < devices->getDisplayCount(); ++i) {
        const QRect r = devices->getFullScreenRect(i);
        m_pUi->cmbDisplay->addItem(tr("Display %1 (%2)").arg(i + 1).arg(RecordTarget::sizeText(r.size())), i);
    }
    m_pUi->cmbDisplay->setCurrentIndex(devices->getSelectedDisplay());
    m_pUi->cmbDisplay->setEnabled(devices->getDisplayCount() > 1);
}

void MainWindow::onDisplaysChanged()
{
    DeviceManager* devices = DeviceManager::instance();
    const int display = qBound(0, devices->getSelectedDisplay(), qMax(0, devices->getDisplayCount() - 1));
    devices->setSelectedDisplay(display);
    RecordParameter::instance()->setUseDisplayIndex(display);
    RecordParameter::instance()->setDisplayName(devices->getDisplayName(display));
    fillDisplays();
    if (m_mode == RecordTarget::Region && !m_bRecordBusy)
        showRegionBox();
}

void MainWindow::initSwitches()
{
    RecordParameter* parameter = RecordParameter::instance();
    m_pUi->iconSystemSound->setPixmap(QIcon(QStringLiteral(":/sr/icons/sound_system.svg")).pixmap(22, 22));
    m_pUi->iconMicrophone->setPixmap(QIcon(QStringLiteral(":/sr/icons/sound_mic.svg")).pixmap(22, 22));
    m_pUi->iconCursor->setPixmap(QIcon(QStringLiteral(":/sr/icons/cursor.svg")).pixmap(22, 22));
    m_pUi->iconWebcam->setPixmap(QIcon(QStringLiteral(":/sr/icons/mode_webcam.svg")).pixmap(22, 22));
    // Set without the slide so that the window opens in its stored state.
    for (auto [button, on] : {std::pair<FfSwitchButton*, bool>{m_pUi->swSystemSound, parameter->isSystemAudioEnable()},
                              {m_pUi->swMicrophone, parameter->isMicrophoneEnable()},
                              {m_pUi->swCursor, parameter->isMouseEnable()}}) {
        const QSignalBlocker blocker(button);
        button->setBtnChecked(on);
        // No slide when the window opens: the knob starts where the state is.
        if (auto* slide = button->findChild<QPropertyAnimation*>())
            slide->stop();
        button->setKnobPos(on ? 1.0 : 0.0);
    }
    connect(m_pUi->swSystemSound, &FfSwitchButton::clicked, this,
            [](bool on) { RecordParameter::instance()->setSystemAudioEnable(on); });
    connect(m_pUi->swMicrophone, &FfSwitchButton::clicked, this,
            [](bool on) { RecordParameter::instance()->setMicrophoneEnable(on); });
    connect(m_pUi->swCursor, &FfSwitchButton::clicked, this,
            [](bool on) { RecordParameter::instance()->setMouseRecorder(on); });
    // The webcam switch shows whether the webcam window is over the screen.
    if (auto* slide = m_pUi->swWebcam->findChild<QPropertyAnimation*>())
        slide->stop();
    m_pUi->swWebcam->setKnobPos(0.0);
    connect(m_pUi->swWebcam, &FfSwitchButton::clicked, this, &MainWindow::onWebcamSwitch);
    connect(m_pUi->btnWebcamOptions, &QToolButton::clicked, this, &MainWindow::onWebcamOptions);
}

void MainWindow::initConnections()
{
    // Displays come and go (a monitor plugged in or out): the list follows.
    connect(qApp, &QGuiApplication::screenAdded, this, &MainWindow::onDisplaysChanged);
    connect(qApp, &QGuiApplication::screenRemoved, this, &MainWindow::onDisplaysChanged);
    connect(m_pUi->btnRec, &QPushButton::clicked, this, &MainWindow::onBtnRecClicked);
    connect(m_pUi->btnSnapshot, &QPushButton::clicked, this, &MainWindow::onBtnSnapshot);

    ScreenRegion* region = ScreenRegion::instance();
    connect(region, &ScreenRegion::toHideMainWindow, this, &MainWindow::onHideForRegionSelect, Qt::QueuedConnection);
    connect(region, &ScreenRegion::endSelectRegion, this, &MainWindow::onEndSelectRegion, Qt::QueuedConnection);
    connect(region, &ScreenRegion::RREndDrag, this, &MainWindow::onRegionDragEnd, Qt::QueuedConnection);

    SignalsTransfer* hub = SignalsTransfer::instance();
    connect(hub, &SignalsTransfer::hotKeyPressed, this, &MainWindow::onHotKeyPressed, Qt::QueuedConnection);
    connect(hub, &SignalsTransfer::hotKeyEnable, this, &MainWindow::onHotKeyEnable, Qt::QueuedConnection);
    connect(hub, &SignalsTransfer::cameraDlgClose, this, &MainWindow::closeCamera);

    connect(TaskManage::instance(), &TaskManage::sigStartRecord, this, &MainWindow::onTaskStartRec, Qt::QueuedConnection);

    SystemStatusBar* tray = SystemStatusBar::instance();
    connect(tray, &SystemStatusBar::sigStartRecord, this, &MainWindow::onBtnRecClicked);
    connect(tray, &SystemStatusBar::sigStopRecord, this, &MainWindow::onStopRecord);
    connect(tray, &SystemStatusBar::sigPauseResume, this, &MainWindow::onPauseResume);
    connect(tray, &SystemStatusBar::sigShowMainWindow, this, &MainWindow::showMainWindow);
    connect(tray, &SystemStatusBar::sigShowCamera, this, &MainWindow::openWebcamForMode);
    connect(tray, &SystemStatusBar::sigShowOption, this, &MainWindow::onShowOption);
    connect(tray, &SystemStatusBar::sigShowFeedback, m_pUi->historyTool, &RecordHistoryTool::onShowFeedback);
    connect(tray, &SystemStatusBar::sigQuit, this, &MainWindow::onQuit);

    connect(m_pUi->historyTool, &RecordHistoryTool::sigShowOption, this, &MainWindow::onShowOption);
    ShortcutTool* shortcuts = m_pUi->historyTool->shortcutTool();
    connect(shortcuts, &ShortcutTool::sigShowOptionDlg, this, &MainWindow::onOptionDlgShow);
    connect(shortcuts, &ShortcutTool::sigHideOptionDlg, this, &MainWindow::onOptionDlgHide);
    connect(m_pUi->historyTool, &RecordHistoryTool::sigShowChildeDlg, this, &MainWindow::onHotKeyEnable);
}

// ---- the capture mode -------------------------------------------------------------------------

void MainWindow::setRecordMode(RecordTarget::Mode mode)
{
    m_mode = mode;
    setSetting(kModeKey, int(mode));
    QAbstractButton* buttons[] = {m_pUi->btnFullScreen, m_pUi->btnRegion, m_pUi->btnWindow, m_pUi->btnAroundMouse,
                                  m_pUi->btnAudioOnly,  m_pUi->btnWebcam};
    buttons[mode]->setChecked(true);
    // A webcam window of the other kind goes: the webcam recorder belongs to the Webcam
    // card, the window over the screen to the screen modes.
    const CameraDlg* camera = cameraDialog();
    if (camera && (camera->isOnlyCamera() ? mode != RecordTarget::Webcam : !recordsScreen()))
        closeCamera();
    updateModeView();
}

void MainWindow::updateModeView()
{
    QWidget* pages[] = {m_pUi->pageFullScreen, m_pUi->pageRegion, m_pUi->pageWindow, m_pUi->pageAroundMouse,
                        m_pUi->pageAudio,      m_pUi->pageWebcam};
    m_pUi->stackOptions->setCurrentWidget(pages[m_mode]);
    const QString hints[] = {tr("Records the whole display."),
                             tr("Records an area of the screen: drag its frame to move it, its handles to resize it."),
                             tr("Records chosen windows, or the screen without them."),
                             tr("Records an area that follows the mouse pointer."),
                             tr("Records sound only, without picture."),
                             tr("Records the webcam alone, in the Webcam Recorder.")};
    m_pUi->labelModeHint->setText(hints[m_mode]);
    const bool webcam = m_mode == RecordTarget::Webcam;
    const bool screen = recordsScreen();
    // The webcam recorder has its own microphone switch: the screen's sound switches stay
    // out of its way.
    for (QWidget* w : {static_cast<QWidget*>(m_pUi->swSystemSound), static_cast<QWidget*>(m_pUi->labelSystemSound),
                       static_cast<QWidget*>(m_pUi->swMicrophone), static_cast<QWidget*>(m_pUi->labelMicrophone)})
        w->setEnabled(!webcam);
    for (QWidget* w : {static_cast<QWidget*>(m_pUi->swCursor), static_cast<QWidget*>(m_pUi->labelCursor),
                       static_cast<QWidget*>(m_pUi->swWebcam), static_cast<QWidget*>(m_pUi->labelWebcam)})
        w->setEnabled(screen);
    m_pUi->labelRecHint->setText(webcam  ? tr("Open Webcam Recorder")
                                 : screen ? tr("Start Recording")
                                          : tr("Start Audio Recording"));
    if (m_mode == RecordTarget::Region)
        showRegionBox();
    else
        ScreenRegion::instance()->closeRegion();
}

bool MainWindow::recordsScreen() const { return RecordTarget::recordsScreen(m_mode); }

QRect MainWindow::selectedDisplayRect() const { return DeviceManager::instance()->getSelectedDisplayRect(); }

void MainWindow::showRegionBox()
{
    const QRect display = selectedDisplayRect();
    QRect rect = RecordTarget::fitInto(setting(kRegionKey, QRect()).toRect(), display);
    const QSize preset = m_pUi->cmbRegionSize->currentData().toSize();
    if (preset.isValid())
        rect = RecordTarget::presetRect(rect, preset, display);
    if (rect.isEmpty())
        rect = RecordTarget::defaultRegion(display);
    setSetting(kRegionKey, rect);
    ScreenRegion::instance()->showRegion(rect, display, preset.isValid());
}

void MainWindow::onRegionSizeChanged(int index)
{
    setSetting(kRegionSizeKey, index);
    showRegionBox();
}

void MainWindow::onSelectRegion()
{
    // A dragged-out area has a free size.
    m_pUi->cmbRegionSize->setCurrentIndex(0);
    setSetting(kRegionSizeKey, 0);
    ScreenRegion::instance()->startSelectRegion(selectedDisplayRect());
}

void MainWindow::onHideForRegionSelect()
{
    if (m_pBase)
        m_pBase->hide();
}

void MainWindow::onEndSelectRegion(const QRect& rect)
{
    if (rect.isValid())
        setSetting(kRegionKey, rect);
    if (m_mode == RecordTarget::Region)
        showRegionBox();
    showMainWindow();
}

void MainWindow::onRegionDragEnd(const QRect& rect)
{
    Log("MainWindow", 1, "region %d,%d %dx%d", rect.x(), rect.y(), rect.width(), rect.height());
    setSetting(kRegionKey, rect);
}

void MainWindow::onSelectWindow()
{
    RecordParameter* parameter = RecordParameter::instance();
    DlgSelectWindow dlg(m_pBase);
    dlg.setWindows(WindowListManger::instance()->refreshWindowList(), parameter->getWindowList(),
                   parameter->getWindowMode());
    if (dlg.exec() != QDialog::Accepted)
        return;
    parameter->setWindowMode(dlg.windowMode());
    parameter->setWindowList(dlg.selectedWindows());
    updateWindowLabel();
}

void MainWindow::updateWindowLabel()
{
    RecordParameter* parameter = RecordParameter::instance();
    const QList<quint64> ids = parameter->getWindowList();
    QStringList titles;
    for (const WindowListManger::WindowItem& w : WindowListManger::instance()->windowList())
        if (ids.contains(w.id))
            titles << w.title;
    QString text;
    switch (parameter->getWindowMode()) {
    case WM_EXCLUDE:
        text = ids.isEmpty() ? tr("The whole screen") : tr("The screen without: %1").arg(titles.join(QStringLiteral(", ")));
        break;
    case WM_MULTIPLE:
        text = ids.isEmpty() ? tr("No window selected") : tr("Windows: %1").arg(titles.join(QStringLiteral(", ")));
        break;
    default:
        text = ids.isEmpty() ? tr("No window selected") : tr("Window: %1").arg(titles.value(0));
        break;
    }
    m_pUi->labelWindows->setText(text);
}

void MainWindow::refreshRecordParameter()
{
    RecordParameter* parameter = RecordParameter::instance();
    parameter->setSystemAudioEnable(m_pUi->swSystemSound->isChecked());
    parameter->setMicrophoneEnable(m_pUi->swMicrophone->isChecked());
    parameter->m_bHideCtrlBar = parameter->isHideFloat();
    parameter->setOnlyRecordAudio(m_mode == RecordTarget::AudioOnly);
    parameter->setOnlyRecordCamera(false);
    parameter->setWindowRecord(m_mode == RecordTarget::Window);
    parameter->setAroundMouse(m_mode == RecordTarget::AroundMouse);
    parameter->setFollowMouse(false);
    const QRect display = selectedDisplayRect();
    QRect rect = display;
    switch (m_mode) {
    case RecordTarget::Region:
        rect = ScreenRegion::instance()->regionRect().isValid() ? ScreenRegion::instance()->regionRect() : display;
        break;
    case RecordTarget::Window:
        if (parameter->getWindowMode() != WM_EXCLUDE) {
            const QRect windows = WindowListManger::instance()->boundingRect(parameter->getWindowList());
            if (windows.isValid())
                rect = windows;
        }
        break;
    case RecordTarget::AroundMouse:
        rect = RecordTarget::aroundMouseRect(QCursor::pos(), parameter->getAroundMouseSize(), display);
        break;
    default:
        break;
    }
    parameter->setVideoRect(rect);
}

// ---- the recording road ---------------------------------------------------------------------

void MainWindow::onBtnRecClicked()
{
    if (CameraDlg* recorder = webcamRecorder()) {
        recorder->on_btnRec_clicked();
        return;
    }
    if (m_mode == RecordTarget::Webcam) {
        openWebcamRecorder();
        return;
    }
    if (isRecordAsking()) {
        // A click (or hotkey, or the status item) that comes while the questions of the
        // last click are open must not start a recording of its own.
        Log("MainWindow", 1, "record click ignored: the last one is still asking");
        return;
    }
    Log("MainWindow", 2, "record clicked, mode %d", int(m_mode));
    refreshRecordParameter();
    RecordState* state = RecordState::instance();
    const bool asking = state->ask();
    const bool go = RecordChecks::pass(m_pBase, m_bRecordBusy, [this] { onSelectWindow(); });
    if (go)
        m_pReminder->remind();
    if (asking)
        state->stopAsking();
    if (!go) {
        abandonTask();
        return;
    }
    startRoad();
}

void MainWindow::abandonTask()
{
    // A task whose recording could not start is over: later tasks must not be refused.
    if (TaskManage::instance()->m_bTasking && !m_bRecordBusy) {
        Log("TaskManage", 2, "Task recording could not start");
        TaskManage::instance()->m_bTasking = false;
    }
}

void MainWindow::startRoad()
{
    m_bRecordBusy = true;
    SystemStatusBar::instance()->setActionEnable(false);
    if (m_pBase)
        m_pBase->hide();
    ScreenRegion::instance()->hideRegion();

    auto* bar = new VideoRecCtlWdg();
    m_pCtlWdg = bar;
    connect(bar, &VideoRecCtlWdg::sigRecordStarted, this, &MainWindow::onRecordStarted);
    connect(bar, &VideoRecCtlWdg::sigRecordPaused, this, &MainWindow::onRecordPaused);
    connect(bar, &VideoRecCtlWdg::sigRecordFinished, this, &MainWindow::onRecordFinished);
    if (!bar->prepareRecord()) {
        const int code = VideoRecCtlWdg::errorCode(SRE_CaptureOpen);
        Log("MainWindow", 2, "prepare record failed: %d", code);
        delete bar;
        endRoad();
        abandonTask();
        VideoRecCtlWdg::showErrorMessage(m_pBase, code);
        return;
    }
    RecordParameter* parameter = RecordParameter::instance();
    if (parameter->isCountDown() && !TaskManage::instance()->m_bTasking) {
        RecordState::instance()->countDown(true);
        if (!m_pCountdown) {
            m_pCountdown = new CountdownWidget();
            connect(m_pCountdown, &CountdownWidget::sigFinished, this, &MainWindow::startRecordNow);
        }
        const QRect area = parameter->getVideoEnable() ? parameter->getVideoRect() : selectedDisplayRect();
        m_pCountdown->start(area, kCountdownFrom, m_nCountdownStepMs);
    } else {
        RecordState::instance()->countDown(false);
        // Started once the sound flows, so that what plays now is in the file from its start.
        if (!m_pStartGate) {
            m_pStartGate = new RecordStartGate(this);
            connect(m_pStartGate, &RecordStartGate::sigOpen, this, &MainWindow::startRecordNow);
        }
        m_pStartGate->start([] { return ScreenRecorder::instance()->isSoundFlowing(); }, kStartDelayMs,
                            kSoundWaitMostMs);
    }
}

void MainWindow::startRecordNow()
{
    VideoRecCtlWdg* bar = controlBar();
    if (!bar) {
        endRoad();
        return;
    }
    SystemStatusBar::instance()->setActionEnable(true);
    bar->startRecord();
}

void MainWindow::onRecordStarted() { Log("MainWindow", 2, "recording started"); }

void MainWindow::onRecordPaused(bool paused) { Log("MainWindow", 1, "recording paused %d", paused); }

void MainWindow::onRecordFinished(bool saved)
{
    Log("MainWindow", 2, "recording finished, saved %d", saved);
    if (m_pCtlWdg)
        m_pCtlWdg->deleteLater();
    m_pCtlWdg = nullptr;
    endRoad();
    TaskManage* tasks = TaskManage::instance();
    const bool tasking = tasks->m_bTasking;
    if (tasking) {
        if (saved)
            tasks->taskCompleted(m_pBase, 0);
        tasks->m_bTasking = false;
    }
    if (saved)
        m_pUi->historyTool->onShowHistory();
    if (saved && !tasking)
        finishTimedRecording();
}

void MainWindow::finishTimedRecording()
{
    if (TaskManage::instance()->finishTimedRecording(m_pBase, kFinishActionDelayMs))
        m_pUi->historyTool->updateRecordLengthText();
}

void MainWindow::endRoad()
{
    m_bRecordBusy = false;
    RecordState::instance()->end();
    SystemStatusBar::instance()->setActionEnable(true);
    if (m_mode == RecordTarget::Region)
        ScreenRegion::instance()->restoreRegion();
    showMainWindow();
}

void MainWindow::onStopRecord()
{
    if (CameraDlg* recorder = webcamRecorder()) {
        recorder->on_btnStop_clicked();
        return;
    }
    const bool countingDown = m_pCountdown && m_pCountdown->isRunning();
    if (countingDown || (m_pStartGate && m_pStartGate->isWaiting())) {
        // Stopped during the countdown or the wait for the sound: nothing was recorded yet.
        if (m_pCountdown)
            m_pCountdown->cancel();
        if (m_pStartGate)
            m_pStartGate->cancel();
        delete m_pCtlWdg;
        ScreenRecorder::release();
        endRoad();
        abandonTask();
        return;
    }
    if (VideoRecCtlWdg* bar = controlBar())
        bar->onStop();
}

void MainWindow::onPauseResume()
{
    if (CameraDlg* recorder = webcamRecorder()) {
        recorder->pauseOrResume();
        return;
    }
    VideoRecCtlWdg* bar = controlBar();
    if (!bar || !RecordParameter::instance()->m_bRecording)
        return;
    if (RecordParameter::instance()->m_bPause)
        bar->onResume();
    else
        bar->onPause();
}

void MainWindow::showMainWindow()
{
    if (!m_pBase || m_bRecordBusy)
        return;
    if (CameraDlg* recorder = webcamRecorder()) {
        // The webcam recorder stands in for the main window while it is open.
        recorder->showNormal();
        recorder->raise();
        return;
    }
    if (m_mode == RecordTarget::Region && !ScreenRegion::instance()->isSelecting())
        ScreenRegion::instance()->restoreRegion();
    m_pBase->showNormal();
    m_pBase->raise();
    m_pBase->activateWindow();
}

// ---- hotkeys, tasks, quitting -------------------------------------------------------------------

void MainWindow::onHotKeyPressed(int hotkey) { m_pHotKeys->dispatch(hotkey); }

DlgHotKeyMessage* MainWindow::hotKeyMessage() const { return m_pReminder->message(); }

FfFloatWindow* MainWindow::floatWindow() const { return m_pHotKeys->floatWindow(); }

void MainWindow::onHotKeyEnable(bool enable) { RecordState::instance()->setHotKeysEnabled(enable); }

bool MainWindow::isHotKeyEnabled() const { return RecordState::instance()->hotKeysEnabled(); }

bool MainWindow::isRecordAsking() const { return RecordState::instance()->state() == RecordState::Asking; }

void MainWindow::onTaskStartRec(int recWhat) { TaskRecordStart::start(this, m_pWebcam, recWhat, kStartDelayMs); }

void MainWindow::onCloseRequest()
{
    if (m_bRecordBusy)
        return;
    if (DlgQuitPrompt::askQuit(m_pBase) == DlgQuitPrompt::Quit) {
        onQuit();
        return;
    }
    // Keep running: in the status area when the desktop has one, else as a minimised window;
    // the region box goes with the window.
    ScreenRegion::instance()->hideRegion();
    if (m_pBase) {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            m_pBase->hide();
        else
            m_pBase->showMinimized();
    }
}

void MainWindow::onQuit()
{
    if (m_bRecordBusy || RecordParameter::instance()->m_bRecording || RecordParameter::instance()->m_bPreview) {
        Utils::showMacWindowMessage(MT_WARNING, m_pBase, tr("Please stop and save the recording before quitting."), MB_OK);
        return;
    }
    Log("MainWindow", 2, "quit");
    ScreenRegion::instance()->closeRegion();
    QApplication::quit();
}

// ---- screenshots ---------------------------------------------------------------------------------

DlgSnapshot* MainWindow::snapshotDialog() const { return m_pSnapshots->dialog(); }

void MainWindow::onBtnSnapshot() { m_pSnapshots->start(); }

void MainWindow::onSaveSnapPic(const QString& filePath, const QString& fileFmt) { m_pSnapshots->save(filePath, fileFmt); }

void MainWindow::onPaintToScreen(const QImage& image) { m_pSnapshots->pinToScreen(image); }

void MainWindow::releaseSnapshot() { m_pSnapshots->release(); }

// ---- the webcam window -----------------------------------------------------------------------------

CameraDlg* MainWindow::cameraDialog() const { return m_pWebcam->camera(); }

void MainWindow::openCamera() { m_pWebcam->open(); }

CameraDlg* MainWindow::webcamRecorder() const { return m_pWebcam->recorder(); }

void MainWindow::openWebcamRecorder() { m_pWebcam->openRecorder(); }

void MainWindow::openWebcamForMode() { m_pWebcam->openForMode(m_mode == RecordTarget::Webcam); }

void MainWindow::onWebcamSwitch(bool on) { m_pWebcam->onSwitch(on); }

void MainWindow::onCameraCloses(bool open) { m_pWebcam->onCameraCloses(open); }

void MainWindow::onWebcamOptions() { m_pWebcam->onOptions(); }

void MainWindow::closeCamera() { m_pWebcam->close(); }

// ---- the Preferences ---------------------------------------------------------------------------

void MainWindow::onShowOption()
{
    if (RecordParameter::instance()->isOnlyRecordCamera())
        return;
    onOptionDlgShow(SP_RECORDING);
}

void MainWindow::onOptionDlgShow(int page)
{
    ShortcutTool* tool = historyTool()->shortcutTool();
    if (tool->optionDialog())
        return;
    // The Preferences' Hotkeys page holds its own hotkey rows: the reminder's go meanwhile,
    // and the hot keys are not served while they may change.
    m_pReminder->drop();
    RecordState::instance()->setHotKeysEnabled(false);
    tool->showOptionDlg(SETTINGPAGE(page));
}

void MainWindow::onOptionDlgHide()
{
    RecordState::instance()->setHotKeysEnabled(true);
    if (m_pUi->swCursor->isChecked() != RecordParameter::instance()->isMouseEnable()) // changed in Preferences
        m_pUi->swCursor->setBtnChecked(RecordParameter::instance()->isMouseEnable());
    m_pReminder->restore();
}

void MainWindow::hidePopupDialog()
{
    Log("MainWindow", 1, "hide pop-up dialogs");
    m_pReminder->hide();
    historyTool()->shortcutTool()->hideOptionDlg();
}
