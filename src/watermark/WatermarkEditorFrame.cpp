#include "watermark/WatermarkEditorFrame.h"

#include "Log.h"
#include "OvResourceMgr.h"
#include "watermark/WaterMarkData.h"
#include "watermark/WaterMarkDataManage.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
using Math = WatermarkPlacementMath;
// The smallest frame around a background, before the zoom factor.
const int kMinFrameWidth = 350;
const int kMinFrameHeight = 250;
// Room left around the watermark in preview-only mode, before the zoom factor.
const int kPreviewPadding = 30;
// The smallest item side a resize may leave, before the zoom factor.
const int kMinItemSide = 2;
// The plain OK button's size and its distance from the item.
const int kOkWidth = 40;
const int kOkHeight = 30;
const int kOkGap = 9;
const int kHandleSize = 5;

// A rectangle of `size` centred on `centre` the way the layout rounds.
QRect centredOn(const QPoint& centre, const QSize& size)
{
    return QRect(centre.x() - (size.width() - 1) / 2, centre.y() - (size.height() - 1) / 2, size.width(),
                 size.height());
}
} // namespace

WatermarkEditorFrame::WatermarkEditorFrame(QWidget* parent) : QFrame(parent) { setMouseTracking(true); }

double WatermarkEditorFrame::zoom() const { return OvResourceMgr::instance()->getZoomDPI(); }

void WatermarkEditorFrame::setBackGroundImg(const QString& path, QRect rect)
{
    if (!QFileInfo::exists(path))
        return;
    const QImage picture(path);
    m_szBackgroundUnscaled = picture.isNull() ? QSize(-1, -1) : picture.size();
    if (!picture.isNull() && picture.width() != rect.width())
        m_imgBackground = picture.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    else
        m_imgBackground = picture;
    if (!m_imgBackground.isNull()) {
        const double z = zoom();
        setFixedSize(std::max(m_imgBackground.width(), int(kMinFrameWidth * z)),
                     std::max(m_imgBackground.height(), int(kMinFrameHeight * z)));
    }
    QFile::remove(path);
}

void WatermarkEditorFrame::onSetMaterialInfo(const QString& path, WaterMarkData* record)
{
    m_bEditedShown = false;
    m_pRecord = record;
    if (path.isEmpty()) {
        m_imgItem = QImage();
        m_imgItemLoaded = QImage();
        update();
        return;
    }
    const QImage image(path);
    if (image.isNull())
        return;
    m_imgItem = image;
    m_imgItemLoaded = image;
    materialSet();
}

void WatermarkEditorFrame::onSetMaterialInfo(const QImage& image, WaterMarkData* record)
{
    m_bEditedShown = false;
    m_pRecord = record;
    m_imgItem = image;
    m_imgItemLoaded = image;
    materialSet();
}

void WatermarkEditorFrame::materialSet()
{
    const bool pic = m_pRecord ? m_pRecord->m_bPic : true;
    const QSize size = m_pRecord && m_pRecord->m_ItemSize.width() >= 0 && m_pRecord->m_ItemSize.height() >= 0
                           ? m_pRecord->m_ItemSize
                           : m_imgItem.size();
    emit itemSizeLoaded(pic, size.width(), size.height());
    QTimer::singleShot(1, this, &WatermarkEditorFrame::onCalculationRect);
}

void WatermarkEditorFrame::setItemThumbDraw(const QImage& image)
{
    m_bEditedShown = true;
    m_imgItem = image;
    if (!m_pRecord || m_pRecord->m_ItemSize.width() < 0 || m_pRecord->m_ItemSize.height() < 0) {
        emit itemSizeLoaded(m_pRecord ? m_pRecord->m_bPic : true, image.width(), image.height());
        QTimer::singleShot(1, this, &WatermarkEditorFrame::onCalculationRect);
    }
    update();
}

void WatermarkEditorFrame::setDrawBtnOk(bool draw)
{
    m_bDrawBtnOK = draw;
    update();
}

void WatermarkEditorFrame::disEnableRectItem()
{
    m_bPreviewOnly = true;
    setMouseTracking(false);
}

double WatermarkEditorFrame::getBackgroundScale() const
{
    return Math::backgroundScale(m_szBackgroundUnscaled, m_imgBackground.width());
}

int WatermarkEditorFrame::calculationMargin(int value, bool toRecording) const
{
    return Math::convert(value, getBackgroundScale(), toRecording);
}

QRect WatermarkEditorFrame::backgroundRectFor() const
{
    if (m_imgBackground.isNull())
        return rect();
    return centredOn(QPoint((width() - 1) / 2, (height() - 1) / 2), m_imgBackground.size());
}

void WatermarkEditorFrame::onCalculationRect()
{
    m_rcBackground = backgroundRectFor();
    if (m_bPreviewOnly) {
        const double z = zoom();
        const QSize size(int(width() - kPreviewPadding * z), int(height() - kPreviewPadding * z));
        m_rcItem = centredOn(m_rcBackground.center(), size);
    } else if (m_pRecord) {
        WaterMarkData copy = *m_pRecord;
        if (copy.m_lstMargin.size() == 4) {
            for (int& margin : copy.m_lstMargin)
                margin = calculationMargin(margin, false);
            Log("onEnableUICalculationRect", 1, "%d,%d,%d,%d", copy.m_lstMargin[0], copy.m_lstMargin[1],
                copy.m_lstMargin[2], copy.m_lstMargin[3]);
        }
        copy.m_ItemSize = QSize(calculationMargin(copy.m_ItemSize.width(), false),
                                calculationMargin(copy.m_ItemSize.height(), false));
        // The picture's own size is in recording pixels too.
        const QSize natural(calculationMargin(m_imgItem.width(), false), calculationMargin(m_imgItem.height(), false));
        // Margins are measured from the background's edges, wherever it sits in the frame.
        const QRect inside(QPoint(0, 0), m_rcBackground.size());
        m_rcItem = WaterMarkDataManage::instance()
                       ->onCalculationRect(inside, natural, &copy)
                       .translated(m_rcBackground.topLeft());
    }
    update();
}

void WatermarkEditorFrame::updateMaterialRect(const QRect& rect)
{
    const double smallest = kMinItemSide * zoom();
    if (rect.width() < smallest || rect.height() < smallest)
        return;
    m_rcItem = rect;
    if (m_pRecord) {
        const QList<int> margins = Math::margins(rect, m_rcBackground);
        m_pRecord->m_lstMargin.clear();
        for (int margin : margins)
            m_pRecord->m_lstMargin.append(calculationMargin(margin, true));
        const double s = getBackgroundScale();
        m_pRecord->m_ItemSize = QSize(int(s * rect.width()), int(s * rect.height()));
    }
    update();
}

void WatermarkEditorFrame::doMouseDragOperate(int mode, const QPoint& pos)
{
    const QRect next = Math::dragged(mode, m_rcDragStart, m_ptPress, pos, m_rcBackground);
    if (next != m_rcItem)
        updateMaterialRect(next);
}

void WatermarkEditorFrame::setDragCursor(int mode)
{
    switch (mode) {
    case Math::DragLeft:
    case Math::DragRight:
        setCursor(Qt::SizeHorCursor);
        break;
    case Math::DragTop:
    case Math::DragBottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case Math::DragTopLeft:
    case Math::DragBottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case Math::DragTopRight:
    case Math::DragBottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case Math::DragMove:
        setCursor(Qt::SizeAllCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void WatermarkEditorFrame::mousePressEvent(QMouseEvent* event)
{
    if (m_bPreviewOnly) {
        QFrame::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->pos();
    m_bSelected = false;
    if (Math::isNear(m_rcItem, pos)) {
        m_bSelected = true;
        m_nMouseState = MousePressed;
        m_nDragMode = Math::dragMode(m_rcItem, pos);
        m_rcDragStart = m_rcItem;
        m_ptPress = pos;
        setDragCursor(m_nDragMode);
    } else {
        QFrame::mousePressEvent(event);
        if (m_nMouseState != MousePressed)
            m_nMouseState = MouseIdle;
    }
    if (m_bDrawBtnOK && m_rcBtnOK.contains(pos))
        emit sgAcceptDlg();
    update();
}

void WatermarkEditorFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bPreviewOnly) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->pos();
    if (m_nMouseState == MousePressed || m_nMouseState == MouseDragging) {
        m_nMouseState = MouseDragging;
        if (m_nDragMode != Math::DragNone)
            doMouseDragOperate(m_nDragMode, pos);
    } else if (Math::isNear(m_rcItem, pos)) {
        setDragCursor(Math::dragMode(m_rcItem, pos));
        m_nMouseState = MouseOver;
    } else {
        setCursor(Qt::ArrowCursor);
        m_nMouseState = MouseIdle;
    }
    update();
}

void WatermarkEditorFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bPreviewOnly) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    update();
    m_nMouseState = MouseReleased;
    if (m_nDragMode != Math::DragNone) {
        doMouseDragOperate(m_nDragMode, event->pos());
        m_nDragMode = Math::DragNone;
        unsetCursor();
    }
}

void WatermarkEditorFrame::leaveEvent(QEvent* event)
{
    QFrame::leaveEvent(event);
    if (m_bPreviewOnly)
        return;
    if (!Math::isNear(m_rcItem, mapFromGlobal(QCursor::pos())))
        m_nMouseState = MouseIdle;
    update();
}

void WatermarkEditorFrame::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!m_rcBackground.isValid())
        m_rcBackground = backgroundRectFor();
    QPainter painter(this);
    painter.save();
    if (!m_imgBackground.isNull())
        painter.drawImage(m_rcBackground, m_imgBackground);
    if (!m_imgItem.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(m_rcItem, m_imgItem);
        if (!m_bPreviewOnly) {
            if (m_bSelected || m_nMouseState == MouseOver)
                drawFocusFrame(painter, m_bSelected ? m_clrPress : m_clrHover);
            if (m_bDrawBtnOK)
                drawOkButton(painter);
        }
    }
    painter.restore();
}

void WatermarkEditorFrame::drawFocusFrame(QPainter& painter, const QColor& color)
{
    painter.setPen(QPen(color, 2, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_rcItem);
    const QRect& r = m_rcItem;
    const int mx = (r.left() + r.right()) / 2;
    const int my = (r.top() + r.bottom()) / 2;
    for (const QPoint& p : {r.topLeft(), QPoint(mx, r.top()), r.topRight(), QPoint(r.right(), my), r.bottomRight(),
                            QPoint(mx, r.bottom()), r.bottomLeft(), QPoint(r.left(), my)})
        painter.fillRect(centredOn(p, QSize(kHandleSize, kHandleSize)), color);
}

void WatermarkEditorFrame::drawOkButton(QPainter& painter)
{
    const double z = zoom();
    const QSize size = m_imgBtnOK.isNull() ? QSize(int(kOkWidth * z), int(kOkHeight * z)) : m_imgBtnOK.size();
    const int h = size.height();
    const int cx = (m_rcItem.left() + m_rcItem.right()) / 2;
    int cy = m_rcItem.bottom() + kOkGap + h / 2;
    if (height() < m_rcItem.bottom() + kOkGap + h)
        cy = m_rcItem.top() - h / 2 - kOkGap;
    m_rcBtnOK = centredOn(QPoint(cx, cy), size);
    if (m_imgBtnOK.isNull()) {
        // Filled, so that its text stays readable over any picture, a light one included.
        painter.setPen(QPen(m_clrPress, 1, Qt::SolidLine));
        painter.setBrush(m_clrPress);
        painter.drawRect(m_rcBtnOK);
    } else {
        const bool hover = m_nMouseState == MousePressed && !m_imgBtnOKHover.isNull();
        painter.drawImage(m_rcBtnOK, hover ? m_imgBtnOKHover : m_imgBtnOK);
    }
    QFont font = this->font();
    font.setPointSize(m_nBtnOKFontSize);
    painter.setFont(font);
    painter.setPen(m_clrBtnOK);
    painter.drawText(m_rcBtnOK, Qt::AlignCenter, tr("OK"));
}
