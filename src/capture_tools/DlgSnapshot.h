#pragma once
// One screenshot. The engine shows its full-screen selection overlay; once an area is
// selected the dialog shows beside it with the drawing tool bar and the actions save, copy,
// full screen, pin to screen and close. In custom mode it never shows: it saves the selected
// area to a scratch file and reports it with cusSnapshotSave.
// The screenshot ends with finished(0) (or, for a save, pictureSave; in custom mode
// cusSnapshotSave); the dialog never closes or deletes itself: its owner deletes it. A save
// or pin that fails keeps the screenshot and tells the user. GUI thread; owns its form and
// the engine's capture object (through Snapshot). Shown, it is transient for the overlay,
// so that a window manager keeps it above the overlay whatever the user clicks there.

#include "OvDialogBase.h"
#include "ScImageCapture.h"

#include <QImage>
#include <QRect>
#include <memory>

class FfColor;
class QWindow;
class Snapshot;

namespace Ui {
class DlgSnapshot;
}

class DlgSnapshot : public OvDialogBase {
    Q_OBJECT
public:
    DlgSnapshot(QWidget* parent, bool custom);
    ~DlgSnapshot() override;

    // Starts the capture of the display chosen for recording: the overlay shows. When the
    // display cannot be grabbed the user is told and the screenshot ends at once (finished(0),
    // or in custom mode a cancel). Returns false then.
    bool createImageCapture();

    bool isCustom() const { return m_bCustom; }
    // True while the engine's capture object is held.
    bool hasCapture() const;
    // The selected area in desktop pixels; empty before the first selection.
    QRect selection() const { return m_rcSelect; }
    FfColor* toolBar() const;
    bool isDrawing() const { return m_bDrawing; }
    bool canUndo() const { return m_bCanUndo; }
    bool canRedo() const { return m_bCanRedo; }

    // The selection as a QRect from a rectangle the engine reported (desktop pixels, right
    // and bottom exclusive): up to the last column and row when the selection is finished,
    // up to right and bottom themselves while it is resized.
    static QRect selectionRect(const CRect& rect, bool finished);
    // Where a dialog of `size` goes beside `selection` on `screen`: below it, right-aligned;
    // above it when there is no room below; at the screen's top when there is none above
    // either; never left of the screen.
    static QPoint placeBeside(const QRect& selection, const QSize& size, const QRect& screen);

    // The capture's reports, through Snapshot and CanvasEvent.
    void onSelectionCompleted(const CRect& rect);
    void onBeginResize();
    void onSelectionResized(const CRect& rect);
    void onEndResize();
    void onOverlayClosed();
    void onCalloutPlaced(int number);
    void setCanvasHistory(bool canUndo, bool canRedo);

signals:
    // The selected area as a picture, to pin on the screen.
    void paintToScreen(QImage img);
    // The screenshot was written to `filePath` (in the temporary root); `fileFmt` is the
    // file dialog's filter of its format. The receiver takes over the file.
    void pictureSave(QString filePath, QString fileFmt);
    // Custom mode: the selection `rcSelect` (desktop pixels) was written to `path`. An empty
    // path means nothing was saved: the user closed the overlay, or the save failed and the
    // user was told.
    void cusSnapshotSave(QString path, QRect rcSelect);

public slots:
    void onSave();
    void onCopy();
    void OnClose();
    void onFull();
    void onPaintToScreen();
    void onStartCanvas(int shape);
    void onStopCanvas(bool exit);
    void onRedo();
    void onUndo();
    void onClear();
    void onChangeBlur(int level);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Releases the capture and ends the screenshot with finished(0), once.
    void endScreenshot();
    // Releases the capture later: never from inside one of its own reports.
    void releaseLater();
    void customSave();
    // Moves the dialog beside `selection` on the recording's display.
    void placeAt(const QRect& selection);
    // Makes the dialog transient for the capture's overlay (before it is shown).
    void stayAboveOverlay();
    // Tells the user `text` (a save that failed); the screenshot goes on.
    void reportFailure(const QString& text);

    std::unique_ptr<Ui::DlgSnapshot> ui;
    std::unique_ptr<Snapshot> m_pSnapshot;
    std::unique_ptr<QWindow> m_pOverlayWindow; // the overlay's window, not owned by Qt
    bool m_bCustom = false;
    bool m_bSelected = false;
    bool m_bEnded = false;
    int m_nShape = 0;
    bool m_bDrawing = false;
    bool m_bCanUndo = false;
    bool m_bCanRedo = false;
    QRect m_rcSelect;
};
