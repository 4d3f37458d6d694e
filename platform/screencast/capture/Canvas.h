#pragma once
// The drawing canvas: annotations over a picture, drawn with the mouse, with undo, redo and
// clear. The canvas has coordinates of its own (the picture's logical pixels); the widget
// shows one area of it, placed at that area of its parent. The annotations live in a layer
// of their own, so the eraser never touches the picture. GUI thread only; it reports to its
// CScreenCanvasEvent from inside the call or the mouse event that caused the report.

#include "ScImageCapture.h"
#include "capture/Annotation.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

class QTextEdit;

namespace capture {

class Canvas : public QWidget, public CScreenCanvas {
    Q_OBJECT
public:
    // A canvas of `size` logical pixels whose layer holds `pixelRatio` pixels per logical pixel.
    Canvas(QWidget* parent, const QSize& size, qreal pixelRatio);
    ~Canvas() override;

    // The picture under the annotations, of the canvas's size: what the blur tools blur and
    // compose() draws on. Without one the blur tools are refused.
    void setPicture(const QImage& picture);
    // Shows `area` of the canvas, placing the widget at `area` in its parent.
    void setViewport(const QRect& area);
    // Where reports go; null: nowhere.
    void setEvent(CScreenCanvasEvent* event) { m_event = event; }
    // The blur tools' strength for later strokes, clamped to 1..20.
    void setBlurLevel(int level);
    // True while a tool is started.
    bool isDrawing() const { return m_shape != CS_None; }
    // Ends the text being typed, keeping it as an annotation.
    void finishText();
    // `area` (canvas coordinates) of the picture with the annotations over it, in the
    // picture's pixels; the annotations alone (over transparency) when there is no picture.
    QImage compose(const QRect& area) const;
    // The canvas area that shows something: the annotations, the drawing in progress and the
    // text being typed (its pixels, not the box around them).
    QRegion paintedRegion() const;

    // Mouse input in canvas coordinates, for a host that receives the mouse itself.
    void pointerPressed(const QPointF& point);
    void pointerMoved(const QPointF& point);
    void pointerReleased(const QPointF& point);

    int Start(int shape, ColorRef color1, ColorRef color2, const char* fontFamily, double size) override;
    void Stop() override;
    void Redo() override;
    void Undo() override;
    void Clear() override;
    void SetStartNumber(int number) override { m_lastNumber = number; }

signals:
    // A tool was started (true) or drawing stopped (false).
    void drawingChanged(bool drawing);
    // What the canvas shows changed.
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointF toCanvas(const QPointF& widgetPoint) const { return widgetPoint + m_viewport.topLeft(); }
    // Makes `items` the annotations, as one undoable step.
    void commit(const QVector<Annotation>& items);
    void renderLayer();
    void reportHistory();
    const QImage* blurredAt(int level);
    void addAirDots(const QPointF& centre);
    // The caret of the text being typed, and what the editor shows with it (its text, its
    // frame and the caret, not its clear background), in widget coordinates.
    QRect caretRect() const;
    QRegion editorRegion() const;
    // The font text is typed and drawn with.
    QFont textFont() const;
    void openEditor(const QPointF& point);
    void styleEditor();
    void fitEditor();
    void closeEditor(bool keep);

    CScreenCanvasEvent* m_event = nullptr;
    QSize m_size;
    qreal m_pixelRatio;
    QRect m_viewport;
    QImage m_picture;
    QHash<int, QImage> m_blurred; // the picture blurred, by level
    QImage m_layer;               // m_items painted, transparent elsewhere
    mutable QRegion m_layerRegion; // where m_layer shows something, when m_layerRegionValid
    mutable bool m_layerRegionValid = true;

    // The tool and its settings.
    int m_shape = CS_None;
    QColor m_color1;
    QColor m_color2;
    QString m_fontFamily;
    double m_penSize = 1;
    int m_blurLevel;
    int m_lastNumber = 0;

    QVector<Annotation> m_items;
    QVector<QVector<Annotation>> m_undo;
    QVector<QVector<Annotation>> m_redo;
    bool m_dragging = false;
    Annotation m_current; // the drawing under the mouse while m_dragging

    QPointer<QTextEdit> m_editor; // the text being typed
    QPointF m_editorPoint;        // its top-left corner in canvas coordinates
};

} // namespace capture
