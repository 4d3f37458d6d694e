#include "HotKeyDispatcher.h"

#include "Log.h"
#include "MainWindow.h"
#include "RecordHistoryTool.h"
#include "WebcamHost.h"
#include "capture_tools/CameraDlg.h"
#include "output/RecordHistoryDlg.h"
#include "recording/FfFloatWindow.h"

#include <QApplication>

HotKeyDispatcher::HotKeyDispatcher(MainWindow* mainWindow, WebcamHost* webcam)
    : QObject(mainWindow)
    , m_pMain(mainWindow)
    , m_pWebcam(webcam)
{
}

HotKeyDispatcher::~HotKeyDispatcher() { delete m_pFloat; }

FfFloatWindow* HotKeyDispatcher::floatWindow() const { return m_pFloat; }

bool HotKeyDispatcher::questionOpen() const
{
    if (m_pMain->isRecordAsking())
        return true;
    // The History is a list to look at, not a question.
    QWidget* modal = QApplication::activeModalWidget();
    return modal && !qobject_cast<RecordHistoryDlg*>(modal);
}

void HotKeyDispatcher::closeHistory()
{
    if (m_pMain->historyTool()->isHistoryShowing())
        m_pMain->historyTool()->historyDlg()->hide();
}

void HotKeyDispatcher::dispatch(int hotkey)
{
    if (!m_pMain->isHotKeyEnabled()) {
        Log("MainWindow", 1, "hotkey %d ignored", hotkey);
        return;
    }
    const bool startsSomething = hotkey == RP_HK_SNAPSHOT || hotkey == RP_HK_WEBCAM
                              || (hotkey == RP_HK_START && !m_pMain->isRecordBusy());
    if (startsSomething) {
        if (questionOpen()) {
            Log("MainWindow", 1, "hotkey %d ignored while a question is open", hotkey);
            return;
        }
        closeHistory();
    }
    if (CameraDlg* recorder = m_pWebcam->recorder()) {
        // The webcam recorder is what records now.
        switch (hotkey) {
        case RP_HK_START: recorder->startOrStop(); return;
        case RP_HK_PAUSE: recorder->pauseOrResume(); return;
        case RP_HK_SNAPSHOT: recorder->snapshot(); return;
        default: break;
        }
    }
    switch (hotkey) {
    case RP_HK_PAUSE: m_pMain->onPauseResume(); break;
    case RP_HK_START:
        if (m_pMain->isRecordBusy())
            m_pMain->onStopRecord();
        else
            m_pMain->onBtnRecClicked();
        break;
    case RP_HK_SNAPSHOT: m_pMain->onBtnSnapshot(); break;
    case RP_HK_WEBCAM: m_pWebcam->toggleForMode(m_pMain->recordMode() == RecordTarget::Webcam); break;
    case RP_HK_FLOAT: toggleFloatWindow(); break;
    default: Log("MainWindow", 1, "unknown hotkey %d", hotkey); break;
    }
}

void HotKeyDispatcher::toggleFloatWindow()
{
    if (!m_pFloat) {
        m_pFloat = new FfFloatWindow();
        connect(m_pFloat, &FfFloatWindow::sigRecord, m_pMain, &MainWindow::onBtnRecClicked);
        connect(m_pFloat, &FfFloatWindow::sigPauseResume, m_pMain, &MainWindow::onPauseResume);
        connect(m_pFloat, &FfFloatWindow::sigStop, m_pMain, &MainWindow::onStopRecord);
    }
    m_pFloat->toggle();
}

