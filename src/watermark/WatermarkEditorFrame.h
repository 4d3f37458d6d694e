#pragma once
// Shows a still of the area to be recorded with one watermark on it, which the user moves
// and resizes with the mouse. Every accepted move or resize is written at once into the
// record being edited as margins and item size in recording pixels. In preview-only mode it
// just shows the watermark. GUI thread; the record is not owned and must outlive the frame's
// use of it.

#include "watermark/WatermarkPlacementMath.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

class WaterMarkData;

class WatermarkEditorFrame : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QImage imgBtnOKThumb MEMBER m_imgBtnOK)
    Q_PROPERTY(QImage imgBtnOKHoveThumb MEMBER m_imgBtnOKHover)
    Q_PROPERTY(QColor btnOKColor MEMBER m_clrBtnOK)
    Q_PROPERTY(int btnOKFontSize MEMBER m_nBtnOKFontSize)
    Q_PROPERTY(QColor colorHoveState MEMBER m_clrHover)
    Q_PROPERTY(QColor colorPressState MEMBER m_clrPress)
    Q_PROPERTY(QImage imgBackGround MEMBER m_imgBackGroundProperty)
public:
    explicit WatermarkEditorFrame(QWidget* parent = nullptr);

    // The background: the picture at `path` scaled to `rect`'s size. The file is a scratch
    // file of the area picker and is deleted once read. Nothing when it does not exist.
    void setBackGroundImg(const QString& path, QRect rect);
    // The watermark to show and the record its placement is written to. A picture that does
    // not load keeps the previous one.
    void onSetMaterialInfo(const QString& path, WaterMarkData* record);
    void onSetMaterialInfo(const QImage& image, WaterMarkData* record);
    // Shows `image` (the watermark with its effects) instead of the loaded one.
    void setItemThumbDraw(const QImage& image);
    QImage* getOrgItemThumbDraw() { return &m_imgItemLoaded; }
    QImage getImgEditParam() const { return m_imgItem; }
    QImage getEditItemThumbDraw() const { return m_imgItem; }
    bool isImgEditParam() const { return m_bEditedShown; }
    void setDrawBtnOk(bool draw);
    // Preview-only from now on: no mouse handling.
    void disEnableRectItem();
    QRect getBackGroundRect() const { return m_rcBackground; }
    QRect getItemRect() const { return m_rcItem; }
    double getBackgroundScale() const;
    int calculationMargin(int value, bool toRecording) const;
    // Takes `rect` (frame pixels) as the item's place and writes margins and item size into
    // the record; a rectangle smaller than the smallest item is ignored.
    void updateMaterialRect(const QRect& rect);

signals:
    void sgAcceptDlg();
    // A new watermark was set: its kind and its size in recording pixels (the picture's size
    // when the record has none).
    void itemSizeLoaded(bool bPic, int w, int h);

public slots:
    void onCalculationRect();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum MouseState { MouseIdle = 0, MouseOver = 1, MousePressed = 2, MouseReleased = 3, MouseDragging = 4 };

    void materialSet();
    QRect backgroundRectFor() const;
    void doMouseDragOperate(int mode, const QPoint& pos);
    void setDragCursor(int mode);
    void drawFocusFrame(QPainter& painter, const QColor& color);
    void drawOkButton(QPainter& painter);
    double zoom() const;

    QRect m_rcBackground;
    QRect m_rcItem;
    QRect m_rcDragStart;
    QImage m_imgBackground;
    QImage m_imgItem;
    QImage m_imgItemLoaded;
    QSize m_szBackgroundUnscaled{-1, -1};
    int m_nDragMode = WatermarkPlacementMath::DragNone;
    int m_nMouseState = MouseIdle;
    QPoint m_ptPress;
    QRect m_rcBtnOK;
    bool m_bSelected = false;
    WaterMarkData* m_pRecord = nullptr;
    bool m_bDrawBtnOK = false;
    bool m_bPreviewOnly = false;
    bool m_bEditedShown = false;

    QImage m_imgBtnOK;
    QImage m_imgBtnOKHover;
    QColor m_clrBtnOK{0xff, 0xff, 0xff};
    int m_nBtnOKFontSize = 12;
    QColor m_clrHover{0xff, 0xff, 0x00};
    QColor m_clrPress{0xff, 0x6a, 0x48};
    QImage m_imgBackGroundProperty;
};
