#include "capture/Annotation.h"

#include "ScreencastTypes.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QtMath>

namespace capture {

namespace {
// Room a text may take before it is cut (it is laid out from its top-left corner).
const double kTextRoom = 1e5;
// An arrow's head: its length is kHeadPerWidth pen widths plus kHeadBase, its half-width
// kHeadSpread of its length.
const double kHeadPerWidth = 3.0;
const double kHeadBase = 8.0;
const double kHeadSpread = 0.45;

QPainterPath strokePath(const QVector<QPointF>& points)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.moveTo(points.first());
    for (int i = 1; i < points.size(); ++i)
        path.lineTo(points.at(i));
    return path;
}

QFont textFont(const Annotation& item, double pixelSize, bool bold)
{
    QFont font(item.fontFamily);
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setBold(bold);
    return font;
}

double calloutRing(const Annotation& item) { return qMax(1.5, item.size / 8); }

void paintArrow(QPainter& painter, const Annotation& item)
{
    const QLineF line(item.points.first(), item.points.last());
    if (line.length() < 1)
        return;
    const double head = qMin(line.length(), kHeadPerWidth * item.size + kHeadBase);
    const QPointF unit = (line.p2() - line.p1()) / line.length();
    const QPointF normal(-unit.y(), unit.x());
    const QPointF base = line.p2() - unit * head;
    painter.setPen(QPen(item.color1, item.size, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawLine(line.p1(), base + unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(item.color1);
    painter.drawPolygon(QPolygonF({line.p2(), base + normal * head * kHeadSpread, base - normal * head * kHeadSpread}));
}

void paintCallout(QPainter& painter, const Annotation& item)
{
    const QPointF centre = item.points.first();
    const double radius = item.size;
    painter.setPen(QPen(item.color2, calloutRing(item)));
    painter.setBrush(item.color1);
    painter.drawEllipse(centre, radius, radius);
    const QString digits = QString::number(item.number);
    // One or two digits fill the marker; more digits get smaller to stay inside it.
    const double pixelSize = digits.size() <= 2 ? radius : radius * 2 / digits.size();
    painter.setFont(textFont(item, pixelSize, true));
    painter.setPen(item.color2);
    painter.drawText(QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2), Qt::AlignCenter, digits);
}
} // namespace

QRectF Annotation::dragRect() const
{
    if (points.isEmpty())
        return QRectF();
    return QRectF(points.first(), points.last()).normalized();
}

bool Annotation::isEmpty() const
{
    if (points.isEmpty())
        return true;
    switch (shape) {
    case CS_Rectangle:
    case CS_Ellipse:
    case CS_EraserBox:
    case CS_BlurBox:
        return dragRect().width() < 1 || dragRect().height() < 1;
    case CS_Line:
    case CS_Arrow:
        return QLineF(points.first(), points.last()).length() < 1;
    case CS_Text:
        return text.trimmed().isEmpty();
    default:
        return false;
    }
}

bool Annotation::erases() const { return shape == CS_Eraser || shape == CS_EraserBox; }

QPainterPath coveredArea(const Annotation& item)
{
    QPainterPath area;
    if (item.shape == CS_EraserBox || item.shape == CS_BlurBox) {
        area.addRect(item.dragRect());
        return area;
    }
    if (item.points.size() == 1) {
        area.addEllipse(item.points.first(), item.size / 2, item.size / 2);
        return area;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(item.size);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(strokePath(item.points));
}

QRectF boundsOf(const Annotation& item)
{
    const double margin = item.size + 2;
    switch (item.shape) {
    case CS_Text: {
        const QFontMetricsF metrics(textFont(item, item.size, false));
        const QRectF room(item.points.first(), QSizeF(kTextRoom, kTextRoom));
        return metrics.boundingRect(room, Qt::AlignLeft | Qt::AlignTop, item.text).adjusted(-2, -2, 2, 2);
    }
    case CS_Callout: {
        const double reach = item.size + calloutRing(item) + 2;
        return QRectF(item.points.first() - QPointF(reach, reach), QSizeF(reach * 2, reach * 2));
    }
    case CS_Arrow: {
        const double head = kHeadPerWidth * item.size + kHeadBase;
        return item.dragRect().adjusted(-head, -head, head, head);
    }
    default:
        return QPolygonF(item.points).boundingRect().adjusted(-margin, -margin, margin, margin);
    }
}

void paintAnnotation(QPainter& painter, const Annotation& item, const QImage* blurred)
{
    if (item.points.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPen pen(item.color1, item.size, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (item.shape) {
    case CS_Rectangle: {
        // The outline lies inside the dragged rectangle, pixel-exact.
        painter.setRenderHint(QPainter::Antialiasing, false);
        const QRectF outer = item.dragRect();
        const double width = qMin(item.size, qMin(outer.width(), outer.height()) / 2);
        QPainterPath ring;
        ring.addRect(outer);
        ring.addRect(outer.adjusted(width, width, -width, -width));
        painter.fillPath(ring, item.color1);
        break;
    }
    case CS_Ellipse: {
        const double half = item.size / 2;
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(item.dragRect().adjusted(half, half, -half, -half));
        break;
    }
    case CS_Line:
        painter.setPen(pen);
        painter.drawLine(item.points.first(), item.points.last());
        break;
    case CS_Arrow:
        paintArrow(painter, item);
        break;
    case CS_Brush:
        painter.setPen(pen);
        if (item.points.size() == 1)
            painter.drawPoint(item.points.first());
        else
            painter.drawPolyline(item.points.constData(), item.points.size());
        break;
    case CS_AirBrush: {
        painter.setRenderHint(QPainter::Antialiasing, false);
        const double dot = qMax(1.0, item.size / 8);
        for (const QPointF& point : item.points)
            painter.fillRect(QRectF(point, QSizeF(dot, dot)), item.color1);
        break;
    }
    case CS_Callout:
        paintCallout(painter, item);
        break;
    case CS_Text:
        painter.setFont(textFont(item, item.size, false));
        painter.setPen(item.color1);
        painter.drawText(QRectF(item.points.first(), QSizeF(kTextRoom, kTextRoom)), Qt::AlignLeft | Qt::AlignTop,
                         item.text);
        break;
    case CS_Eraser:
    case CS_EraserBox:
        painter.setRenderHint(QPainter::Antialiasing, item.shape == CS_Eraser);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillPath(coveredArea(item), Qt::black);
        break;
    case CS_Blur:
    case CS_BlurBox:
        if (blurred && !blurred->isNull()) {
            if (item.shape == CS_BlurBox)
                painter.setClipRect(item.dragRect());
            else
                painter.setClipPath(coveredArea(item));
            painter.drawImage(QPointF(0, 0), *blurred);
        }
        break;
    default:
        break;
    }
    painter.restore();
}

QImage blurredPicture(const QImage& picture, int level)
{
    if (picture.isNull())
        return QImage();
    const int factor = qBound(kMinBlurLevel, level, kMaxBlurLevel) + 1;
    const QSize small(qMax(1, picture.width() / factor), qMax(1, picture.height() / factor));
    QImage result = picture.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.setDevicePixelRatio(picture.devicePixelRatio());
    return result;
}

} // namespace capture
