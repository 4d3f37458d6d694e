#include "CanvasEvent.h"

#include "DlgSnapshot.h"

CanvasEvent::CanvasEvent(DlgSnapshot* dlg)
    : m_pDlg(dlg)
{
}

void CanvasEvent::OnScreenCanvasEvent(signed char canUndo, signed char canRedo)
{
    m_pDlg->setCanvasHistory(canUndo != 0, canRedo != 0);
}

void CanvasEvent::OnNumberChanged(int number) { m_pDlg->onCalloutPlaced(number); }
