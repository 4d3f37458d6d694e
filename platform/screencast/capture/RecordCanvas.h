#pragma once
// The drawing canvas of a recording: a window over an area of the desktop that shows only
// the annotations (it is shaped to them) and never takes a click; while a tool is started,
// an input window over the area takes the mouse for the canvas (under a compositor the
// window itself covers the area and takes it). A clear area (the control
// bar's place) shows no drawing and always passes the mouse on. The window is translucent
// and asks compositors for no shadow, so that the recording shows the desktop under it as
// it is. The screen capture records the window like any other. GUI thread only; reports
// arrive as the canvas makes them.

#include "ScImageCapture.h"

#include <QPointer>
#include <QRect>

class QWidget;

namespace capture {

class Canvas;
class InputCatcher;

class RecordCanvas : public CRecordCanvasObject {
public:
    // Over `area` (desktop pixels, not empty).
    RecordCanvas(CScreenCanvasEvent* event, const QRect& area);

    void Release() override;
    CScreenCanvas* GetCanvas() override;
    void SetClearArea(CRect area) override;

private:
    ~RecordCanvas() override;
    void onDrawingChanged(bool drawing);
    // Shapes the window to what the canvas shows; hides it when that is nothing.
    void reshape();

    QPointer<QWidget> m_window;
    Canvas* m_canvas;
    InputCatcher* m_input;
    qreal m_pixelRatio;
    QRect m_clear; // window coordinates

};

} // namespace capture
