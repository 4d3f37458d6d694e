#pragma once
// The screenshot dialog's hold on one image capture: creates and releases the engine's
// capture object, hands out its drawing canvas, and passes the capture's reports on to the
// dialog. Owns the capture object (released at the latest when this object is destroyed)
// and the canvas listener. Called by the engine and the dialog on the GUI thread.

#include "CanvasEvent.h"
#include "ScImageCapture.h"

#include <memory>

class DlgSnapshot;

class Snapshot : public CImageCaptureCallback {
public:
    explicit Snapshot(DlgSnapshot* dlg);
    ~Snapshot() override;

    // Starts a capture of `display` (its overlay shows); a capture still held is released
    // first. False when the engine could not grab the display.
    bool create(int display);
    // Releases the capture object, if one is held, and forgets its canvas.
    void release();
    // The capture object; null when none is held.
    CImageCaptureObject* capture() const { return m_capture.get(); }
    // The capture's drawing canvas; null when no capture is held.
    CScreenCanvas* canvas();

    void OnClose() override;
    int OnScreenSelCompleted(CRect rect) override;
    void OnBeginResize() override;
    void OnSizeChanged(CRect rect) override;
    void OnEndResize() override;

private:
    DlgSnapshot* m_pDlg;
    CBasePtr<CImageCaptureObject> m_capture;
    CScreenCanvas* m_pCanvas = nullptr; // owned by m_capture
    std::unique_ptr<CanvasEvent> m_pEvent;
};
