#include "SnapshotFlow.h"

#include "Log.h"
#include "MainWindowBase.h"
#include "WebcamHost.h"
#include "capture_tools/CameraDlg.h"
#include "capture_tools/DlgPaintToScreen.h"
#include "capture_tools/DlgSnapshot.h"
#include "capture_tools/SnapshotSaveAs.h"
#include "core/RecordParameter.h"
#include "recording/ScreenRegion.h"
#include "recording/DlgSetPermissions.h"
#include "services/PlatformSeam.h"
#include "services/ScreenLeaveWait.h"

SnapshotFlow::SnapshotFlow(MainWindowBase* base, WebcamHost* webcam, std::function<void()> showMain, QObject* parent)
    : QObject(parent)
    , m_pBase(base)
    , m_pWebcam(webcam)
    , m_showMain(std::move(showMain))
{
}

SnapshotFlow::~SnapshotFlow() { delete m_pSnapshot; }

DlgSnapshot* SnapshotFlow::dialog() const { return m_pSnapshot; }

void SnapshotFlow::start()
{
    if (m_pSnapshot) {
        Log("MainWindow", 1, "a screenshot runs already");
        return;
    }
    if (!PlatformSeam::current()->canRecord(PS_SCREEN) && !DlgSetPermissions::guide(PS_SCREEN, m_pBase, m_pBase))
        return;
    m_bHidMain = false;
    if (RecordParameter::instance()->isHideMainWhenScreenshot() && m_pBase && m_pBase->isVisible()) {
        ScreenRegion::instance()->hideRegion();
        m_pBase->hide();
        m_bHidMain = true;
    }
    m_pWebcam->close();
    auto* dlg = new DlgSnapshot(nullptr, false);
    m_pSnapshot = dlg;
    connect(dlg, &QDialog::finished, this, &SnapshotFlow::release);
    connect(dlg, &DlgSnapshot::paintToScreen, this, &SnapshotFlow::pinToScreen);
    connect(dlg, &DlgSnapshot::pictureSave, this, &SnapshotFlow::save);
    // The native window exists before the capture starts, without showing it.
    dlg->createWinId();
    if (m_bHidMain)
        ScreenLeaveWait::afterLeaving({m_pBase}, dlg, [dlg] { dlg->createImageCapture(); });
    else
        dlg->createImageCapture();
}

void SnapshotFlow::save(const QString& filePath, const QString& fileFmt)
{
    const SnapshotSaveAs::Result saved = SnapshotSaveAs::ask(filePath, fileFmt);
    release();
    SnapshotSaveAs::finish(filePath, saved);
}

void SnapshotFlow::pinToScreen(const QImage& image)
{
    auto* pin = new DlgPaintToScreen(nullptr);
    pin->setImg(image);
    connect(pin, &QDialog::finished, pin, &QObject::deleteLater);
    if (m_pSnapshot && m_pSnapshot->selection().isValid())
        pin->placePictureAt(m_pSnapshot->selection().topLeft());
    pin->show();
}

void SnapshotFlow::release()
{
    if (m_bHidMain)
        m_showMain();
    m_bHidMain = false;
    if (m_pSnapshot)
        m_pSnapshot->deleteLater();
    m_pSnapshot = nullptr;
}
