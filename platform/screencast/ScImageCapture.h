#pragma once
// Screenshots and drawing on the screen.
//
// An image capture freezes one display, lets the user select an area of it on a full-screen
// overlay, draw on the selection and save or copy the result. A recording canvas shows the
// same drawing canvas as a transparent, always-on-top window over an area of the desktop; the
// screen capture records it like any other window.
//
// Threads: every function and object operation here is called on the GUI thread, and every
// callback arrives on the GUI thread, from the engine's event handling or from inside the
// operation that caused it. None arrives after the object's Release() has returned.
//
// Rectangles: the callbacks report display-local pixels with right and bottom exclusive
// (the width is right - left). ConvertCurrentDisplayRectToScreen turns them into desktop
// pixels. SelectArea takes desktop pixels with right and bottom inclusive (the last column
// and row), as DeviceManager's display rectangles give them.

#include "CBasePtr.h"
#include "ScreencastTypes.h"

// Reports of a drawing canvas.
class CScreenCanvasEvent {
public:
    // The drawing history changed: `canUndo` and `canRedo` are 1 when Undo() or Redo() would
    // do something, else 0.
    virtual void OnScreenCanvasEvent(signed char canUndo, signed char canRedo) = 0;
    // A callout was placed showing `number`.
    virtual void OnNumberChanged(int number) = 0;
    virtual ~CScreenCanvasEvent() = default;
};

// The drawing canvas: annotations above a picture, with undo and redo. Handed out and owned
// by an image capture or a recording canvas; valid until that object is released.
class CScreenCanvas {
public:
    // Makes `shape` (CanvasShapes) the tool the mouse draws with; 0 stops drawing. `size` is
    // the pen width in pixels, the font's pixel size for CS_Text, the marker's radius for
    // CS_Callout. `color1` draws every tool; for CS_Callout it fills the marker and `color2`
    // draws its ring and number; `color2` is never used otherwise. `fontFamily` (UTF-8, may
    // be null) is the text tool's and the callouts' font. A text being typed is kept. Returns
    // 0, or -1 for an unknown tool or a blur tool where there is no picture to blur.
    virtual int Start(int shape, ColorRef color1, ColorRef color2, const char* fontFamily, double size) = 0;
    // Stops drawing: the mouse no longer draws; the annotations stay.
    virtual void Stop() = 0;
    // Takes back the last undone step; does nothing when there is none.
    virtual void Redo() = 0;
    // Takes back the last drawing step (a shape, a stroke, a text, a clear).
    virtual void Undo() = 0;
    // Removes every annotation, as one step that Undo() takes back.
    virtual void Clear() = 0;
    // Three slots kept in the interface's order; they do nothing.
    virtual void Reserved1() {}
    virtual void Reserved2() {}
    virtual void Reserved3() {}
    // The next callout shows `number` + 1; each callout after it one more.
    virtual void SetStartNumber(int number) = 0;

protected:
    virtual ~CScreenCanvas() = default;
};

// Reports of an image capture.
class CImageCaptureCallback {
public:
    // The user closed the overlay (Esc or a right click); the capture is over.
    virtual void OnClose() = 0;
    // The first selection is done (mouse released); `rect` is display-local. The result is
    // not used.
    virtual int OnScreenSelCompleted(CRect rect) = 0;
    // The user begins to move or resize the selection (also before a SelectArea change).
    virtual void OnBeginResize() = 0;
    // The selection is now `rect` (display-local); between OnBeginResize and OnEndResize.
    virtual void OnSizeChanged(CRect rect) = 0;
    // The move or resize is over.
    virtual void OnEndResize() = 0;
    virtual ~CImageCaptureCallback() = default;
};

// Image formats of CImageCaptureObject::SaveImage.
enum ImageCaptureFormat {
    ICF_PNG = 0,
    ICF_JPEG = 1,
    ICF_BMP = 2,
    ICF_GIF = 3,
    ICF_TIFF = 4,
    ICF_JPEG2 = 5, // the same JPEG as ICF_JPEG
};

// One screenshot: the frozen display, the overlay and its canvas. Release() closes the overlay.
class CImageCaptureObject : public CBaseObject {
public:
    // Writes the selection with its annotations to `path` (local 8-bit encoding) in `format`
    // (ImageCaptureFormat; JPEG without alpha). Returns 0, or -1 when nothing is selected,
    // the format is unknown, a file is already at `path` (it is never replaced) or writing
    // failed; a failed write leaves no file behind.
    virtual int SaveImage(int format, const char* path) = 0;
    // Puts the selection with its annotations on the clipboard. Returns 0, or -1 when
    // nothing is selected.
    virtual int CopyToClipboard() = 0;
    // Strength of the blur tools' later strokes, 1 (light) to 20 (strong), clamped; 10 at
    // the start.
    virtual void SetBlur(int level) = 0;
    // Selects `rect` (desktop pixels, right and bottom inclusive), cut to the display. Before
    // the first selection it counts as that selection (OnScreenSelCompleted); after it the
    // change is reported as a resize (OnBeginResize, OnSizeChanged, OnEndResize).
    virtual void SelectArea(CRect rect) = 0;
    // The canvas over the selection, reporting to `event` (may be null; a later call
    // replaces it). Never null; owned by the capture.
    virtual CScreenCanvas* GetCanvas(CScreenCanvasEvent* event) = 0;
    // The overlay's native window (an X window id): a window that belongs over the overlay,
    // such as the screenshot's tool strip, is made transient for it, so that a window manager
    // keeps it above the overlay whatever the user clicks. 0 when the overlay has none yet.
    virtual unsigned long long OverlayWindow() = 0;
};

// A drawing canvas shown over an area of the desktop while recording.
class CRecordCanvasObject : public CBaseObject {
public:
    // The canvas; never null; owned by this object. Blur tools are refused (Start returns -1).
    virtual CScreenCanvas* GetCanvas() = 0;
    // Keeps `area` (desktop pixels, right and bottom exclusive; empty: nothing) free of the
    // canvas: no drawing shows there and the mouse reaches the windows below it, also while a
    // tool is started. For a window over the recorded area that must stay usable, such as the
    // recording's control bar.
    virtual void SetClearArea(CRect area) = 0;
};

// Freezes the display `display` (numbered as QGuiApplication::screens(); -1 or a number out
// of range: the display under the mouse) and shows the selection overlay over it. Returns an
// empty handle when `callback` is null or the display cannot be grabbed. `callback` must
// outlive the object.
CBasePtr<CImageCaptureObject> CreateImageCapture(CImageCaptureCallback* callback, int display = -1);

// The overlay's size tip: `format` (UTF-8) with its four "%d" replaced by the selection's
// width, height, left and top in this order; any other "%" sequence is shown as it is. Kept
// for later captures; null or empty restores the default "%d x %d".
void SetZoomTipsFormat(const char* format);

// `rect` (display-local, as the callbacks report it) in desktop pixels: moved by the origin
// of the display of the last image capture created.
CRect ConvertCurrentDisplayRectToScreen(CRect rect);

// Shows a recording canvas over `area` (desktop pixels, right and bottom exclusive),
// reporting to `event` (may be null; must outlive the object). It lets every click through
// while no tool is started and shows only the annotations. Returns an empty handle when the
// area is empty.
CBasePtr<CRecordCanvasObject> CreateRecordCanvas(CScreenCanvasEvent* event, CRect area);
