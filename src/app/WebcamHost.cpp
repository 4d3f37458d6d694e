#include "WebcamHost.h"

#include "MainWindowBase.h"
#include "OvSettings.h"
#include "OvWindowPlacement.h"
#include "RecordHistoryTool.h"
#include "capture_tools/CameraDlg.h"
#include "capture_tools/DlgWebcamOptions.h"
#include "core/RecordState.h"
#include "core/DeviceManager.h"
#include "core/RecordParameter.h"
#include "core/SettingsKeys.h"
#include "widgets/FfSwitchButton.h"

#include <QTimer>

namespace {
// How soon a switch change is tried again while the webcam window takes a photo.
const int kPhotoRetryMs = 100;
// How soon closing is tried again while a preview or the history is open.
const int kCloseRetryMs = 1000;
} // namespace

WebcamHost::WebcamHost(MainWindowBase* base, FfSwitchButton* webcamSwitch, RecordHistoryTool* history, QObject* parent)
    : QObject(parent)
    , m_pBase(base)
    , m_pSwitch(webcamSwitch)
    , m_pHistory(history)
{
}

WebcamHost::~WebcamHost() { delete m_pCamera; }

CameraDlg* WebcamHost::recorder() const
{
    return m_pCamera && m_pCamera->isOnlyCamera() ? m_pCamera.data() : nullptr;
}

void WebcamHost::open()
{
    if (m_pCamera) {
        m_pCamera->showNormal();
        m_pCamera->raise();
        return;
    }
    if (DeviceManager::instance()->isPermissionCamera() != DeviceManager::kPermissionGranted)
        return;
    const bool onlyCamera = RecordParameter::instance()->isOnlyRecordCamera();
    auto* dlg = new CameraDlg(onlyCamera, m_pBase);
    dlg->setMainWindowBase(m_pBase);
    m_pCamera = dlg;
    connect(dlg, &CameraDlg::closes, this, &WebcamHost::onCameraCloses, Qt::QueuedConnection);
    if (onlyCamera)
        dlg->resize(CameraDlg::kDefaultWidth, CameraDlg::kDefaultHeight);
    else
        dlg->resizeView();
    place(dlg);
    dlg->show();
    // The webcam recorder takes the main window's place.
    if (onlyCamera && m_pBase)
        m_pBase->hide();
    setSwitch(!onlyCamera);
}

void WebcamHost::openRecorder()
{
    if (m_pCamera && !m_pCamera->isOnlyCamera())
        close();
    if (m_pCamera) {
        open();
        return;
    }
    RecordParameter::instance()->setOnlyRecordCamera(true);
    open();
    if (!m_pCamera)
        RecordParameter::instance()->setOnlyRecordCamera(false);
}

void WebcamHost::openForMode(bool webcamMode)
{
    if (webcamMode)
        openRecorder();
    else
        open();
}

void WebcamHost::toggleForMode(bool webcamMode)
{
    if (m_pCamera)
        close();
    else
        openForMode(webcamMode);
}

void WebcamHost::setSwitch(bool on)
{
    if (m_pSwitch->isChecked() == on)
        return;
    const QSignalBlocker blocker(m_pSwitch);
    m_pSwitch->setBtnChecked(on);
}

void WebcamHost::onSwitch(bool on)
{
    if (m_pCamera && m_pCamera->isSanping()) {
        // A photo is being taken: the window stays until it is done.
        QTimer::singleShot(kPhotoRetryMs, this, [this, on] { onSwitch(on); });
        return;
    }
    if (!on) {
        close();
        return;
    }
    if (!m_pCamera)
        open();
    // No window (the camera may not be used): the switch goes back.
    setSwitch(m_pCamera != nullptr);
}

void WebcamHost::onCameraCloses(bool open)
{
    setSwitch(open);
    if (!open)
        close();
}

void WebcamHost::onOptions()
{
    // The options dialog shows the camera itself: the overlay steps aside meanwhile and
    // comes back with the new choices.
    const bool overlay = m_pCamera && !m_pCamera->isOnlyCamera();
    if (overlay)
        close();
    {
        DlgWebcamOptions dlg(m_pBase);
        dlg.exec();
    }
    if (overlay && !m_pCamera)
        open();
}

void WebcamHost::place(CameraDlg* dlg)
{
    if (dlg->isOnlyCamera()) {
        const QVariant stored = OvSettings::instance()->applicationParam(QString::fromLatin1(SettingsKeys::kCameraWindowPos));
        if (stored.type() == QVariant::Point)
            OvWindowPlacement::moveTo(dlg, stored.toPoint());
        else
            dlg->centreOn(m_pBase);
        return;
    }
    // The overlay goes where the webcam picture is to be placed on the recorded display.
    const QRect display = DeviceManager::instance()->getSelectedDisplayRect();
    const QSize size = dlg->size().grownBy(OvWindowPlacement::frameMargins(dlg));
    QPoint at = display.center() - QPoint(size.width() / 2, size.height() / 2);
    switch (RecordParameter::instance()->getCameraDefaultPos()) {
    case RP_POS_TOPLEFT: at = display.topLeft(); break;
    case RP_POS_TOPRIGHT: at = QPoint(display.right() - size.width() + 1, display.top()); break;
    case RP_POS_BOTTOMLEFT: at = QPoint(display.left(), display.bottom() - size.height() + 1); break;
    case RP_POS_BOTTOMRIGHT: at = display.bottomRight() - QPoint(size.width() - 1, size.height() - 1); break;
    default: break;
    }
    OvWindowPlacement::moveTo(dlg, at);
}

void WebcamHost::close()
{
    if (!m_pCamera)
        return;
    if (m_pCamera->isBusy()) {
        // Its recording is never dropped: the window asks, saves it and then closes.
        m_pCamera->close();
        return;
    }
    if (RecordParameter::instance()->m_bPreview || m_pHistory->isHistoryShowing()) {
        QTimer::singleShot(kCloseRetryMs, this, &WebcamHost::close);
        return;
    }
    if (m_pCamera->isOnlyCamera()) {
        RecordState::instance()->end();
        if (m_pBase)
            m_pBase->showNormal();
    }
    m_pCamera->disconnect(this);
    delete m_pCamera;
    setSwitch(false);
}
