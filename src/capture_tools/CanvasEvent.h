#pragma once
// The screenshot dialog's listener to its drawing canvas: hands the callout count on to the
// drawing tool bar and records whether undo and redo can act. Called by the engine on the
// GUI thread; owned by the dialog's Snapshot.

#include "ScImageCapture.h"

class DlgSnapshot;

class CanvasEvent : public CScreenCanvasEvent {
public:
    explicit CanvasEvent(DlgSnapshot* dlg);

    void OnScreenCanvasEvent(signed char canUndo, signed char canRedo) override;
    void OnNumberChanged(int number) override;

private:
    DlgSnapshot* m_pDlg;
};
