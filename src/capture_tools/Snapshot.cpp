#include "Snapshot.h"

#include "DlgSnapshot.h"
#include "services/PlatformSeam.h"

Snapshot::Snapshot(DlgSnapshot* dlg)
    : m_pDlg(dlg)
    , m_pEvent(new CanvasEvent(dlg))
{
}

Snapshot::~Snapshot() { release(); }

bool Snapshot::create(int display)
{
    release();
    m_capture = PlatformSeam::current()->imageCapture(this, display);
    return bool(m_capture);
}

void Snapshot::release()
{
    m_pCanvas = nullptr;
    m_capture.reset();
}

CScreenCanvas* Snapshot::canvas()
{
    if (!m_capture)
        return nullptr;
    if (!m_pCanvas)
        m_pCanvas = m_capture->GetCanvas(m_pEvent.get());
    return m_pCanvas;
}

void Snapshot::OnClose() { m_pDlg->onOverlayClosed(); }

int Snapshot::OnScreenSelCompleted(CRect rect)
{
    m_pDlg->onSelectionCompleted(ConvertCurrentDisplayRectToScreen(rect));
    return 1;
}

void Snapshot::OnBeginResize() { m_pDlg->onBeginResize(); }

void Snapshot::OnSizeChanged(CRect rect) { m_pDlg->onSelectionResized(ConvertCurrentDisplayRectToScreen(rect)); }

void Snapshot::OnEndResize() { m_pDlg->onEndResize(); }
