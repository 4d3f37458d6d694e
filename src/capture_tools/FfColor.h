#pragma once
// The drawing tool bar: the strip where the user picks a drawing tool, its line or font
// size, its colours, the blur strength and the first callout number. It draws nothing: it
// tells its owner (the screenshot dialog, the recording control bar) through signals, and
// the owner hands the choices to a drawing canvas. Each user action gives exactly one
// signal. GUI thread; owns its form and nothing else; stores nothing in the settings.

#include "ScreencastTypes.h"

#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <memory>

class QAbstractButton;

namespace Ui {
class FfColor;
}

// The line sizes of the size buttons.
enum Line_Size { LS_SLIM = 0, LS_MIDDLE = 1, LS_THICK = 2, LS_LARGE = 3 };

// The pen width in pixels of `shape` drawn at `size`; 1 for a size outside the four.
int getLineSize(int shape, int size);

class FfColor : public QFrame {
    Q_OBJECT
    Q_PROPERTY(int colorBtnWidth READ colorBtnWidth WRITE setColorBtnWidth)
    Q_PROPERTY(int colorBtnHeight READ colorBtnHeight WRITE setColorBtnHeigh)
public:
    explicit FfColor(QWidget* parent = nullptr);
    ~FfColor() override;

    // The tool chosen last (CanvasShapes; CS_None when none); the eraser and the blur
    // stay themselves in box mode.
    int getCanvsType() const { return m_nCanvsType; }
    // The pen width of the chosen tool at the chosen size.
    int getPainterSize() const;
    int getFontSize() const { return m_nFontSize; }
    QColor getColor() const { return m_color; }
    QColor getBackgroundColor() const { return m_bgColor; }
    // The first callout number the canvas places, counted from 0.
    int numberNumber() const;

    // The font the canvas writes texts and callouts with: the product's "fontFamily", else
    // Tahoma.
    static QString fontFamily();

    // Shows or hides the Blur tool.
    void setHasBlur(bool has);

    int colorBtnWidth() const { return m_nColorBtnWidth; }
    void setColorBtnWidth(int width) { m_nColorBtnWidth = width; }
    int colorBtnHeight() const { return m_nColorBtnHeight; }
    void setColorBtnHeigh(int height) { m_nColorBtnHeight = height; }

public slots:
    // Leaves drawing, as the Exit button does: no tool is chosen and stopCanvs(true) is sent.
    void onQuitEdit();
    // The canvas placed a callout: the start number steps on by one, without restarting
    // the tool. The argument is not used.
    void setNumberNumber(int number);

signals:
    // Start (or restart with new settings) tool `shape`; 10 and 12 are the box modes of the
    // eraser and the blur. CS_None when a setting changed with no tool chosen: ignore it.
    void startCanvs(int shape);
    // The chosen tool was clicked again (false), or the user left drawing (true).
    void stopCanvs(bool exit);
    void redo();
    void undo();
    void clear();
    void blurChanged(int level);

private slots:
    void onStartCanvas();
    void setDrawSize();
    void onBoxSelect(bool checked);
    void showColor();
    void showPersetColor();
    void showCustomColor();
    void checkSetWichColor();
    void setColor();
    void onFontSizeChange(const QString& text);
    void onNumberChange(int value);
    void onClear();

private:
    // The tool the canvas runs: the chosen one, or its box mode while box select is on.
    int runningTool() const;
    // Shows `colour` in the custom fields (spin boxes and hex text) without signals.
    void loadColorFields(const QColor& colour);
    void refreshSwatch();

    std::unique_ptr<Ui::FfColor> ui;
    int m_nCanvsType = CS_None;
    QColor m_color = Qt::red;
    QColor m_bgColor = Qt::white;
    int m_nLineSize = LS_SLIM;
    int m_nFontSize = 16;
    int m_nColorBtnWidth = 10;
    int m_nColorBtnHeight = 10;
    QPixmap m_swatch;
    bool m_bNumberRestarts = true;
    bool m_bFontColor = true; // colour edits change the drawing colour (else the background)
    QAbstractButton* m_pLastToolBtn = nullptr;
};
