#include "capture/Canvas.h"

#include <QBitmap>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTextEdit>
#include <QtMath>

namespace capture {

namespace {
// An air brush sprays at least this many dots per mouse move.
const int kMinAirDots = 4;
// The text editor's dashed frame, outside the text.
const int kEditorFrame = 1;
// The caret of the text being typed, drawn by the canvas: it does not blink, so that a
// window shaped to what the canvas shows never shows a blinked-out caret's place.
const int kCaretWidth = 1;

bool isTwoPoint(int shape)
{
    return shape == CS_Rectangle || shape == CS_Ellipse || shape == CS_Line || shape == CS_Arrow
        || shape == CS_EraserBox || shape == CS_BlurBox;
}

bool isBlur(int shape) { return shape == CS_Blur || shape == CS_BlurBox; }

// Where `image` (of `pixelRatio` pixels per logical pixel) shows something, in logical pixels.
QRegion opaqueRegion(const QImage& image, qreal pixelRatio)
{
    if (image.isNull())
        return QRegion();
    const QImage logical = qFuzzyCompare(pixelRatio, 1.0)
        ? image
        : image.scaled((QSizeF(image.size()) / pixelRatio).toSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return QRegion(QBitmap::fromImage(logical.createAlphaMask()));
}

QImage transparentImage(const QSize& logicalSize, qreal pixelRatio)
{
    QImage image((QSizeF(logicalSize) * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    return image;
}

QRectF pixelRect(const QRectF& logical, qreal pixelRatio)
{
    return QRectF(logical.topLeft() * pixelRatio, logical.size() * pixelRatio);
}
} // namespace

Canvas::Canvas(QWidget* parent, const QSize& size, qreal pixelRatio)
    : QWidget(parent), m_size(size), m_pixelRatio(pixelRatio), m_blurLevel(kDefaultBlurLevel)
{
    m_layer = transparentImage(m_size, m_pixelRatio);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setViewport(QRect(QPoint(0, 0), size));
}

Canvas::~Canvas() = default;

void Canvas::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_blurred.clear();
}

void Canvas::setViewport(const QRect& area)
{
    m_viewport = area;
    setGeometry(area);
    if (m_editor)
        m_editor->move((m_editorPoint - m_viewport.topLeft()).toPoint() - QPoint(kEditorFrame, kEditorFrame));
    update();
}

void Canvas::setBlurLevel(int level) { m_blurLevel = qBound(kMinBlurLevel, level, kMaxBlurLevel); }

void Canvas::finishText() { closeEditor(true); }

QImage Canvas::compose(const QRect& area) const
{
    const QRect part = area.intersected(QRect(QPoint(0, 0), m_size));
    if (part.isEmpty())
        return QImage();
    QImage result;
    if (m_picture.isNull()) {
        result = transparentImage(part.size(), m_pixelRatio);
    } else {
        const qreal ratio = m_picture.devicePixelRatio();
        result = m_picture.copy(pixelRect(part, ratio).toAlignedRect())
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        result.setDevicePixelRatio(ratio);
    }
    QPainter painter(&result);
    painter.drawImage(QRectF(QPointF(0, 0), part.size()), m_layer, pixelRect(part, m_pixelRatio));
    painter.end();
    result.setDevicePixelRatio(1);
    return result;
}

QRegion Canvas::paintedRegion() const
{
    if (!m_layerRegionValid) {
        m_layerRegion = opaqueRegion(m_layer, m_pixelRatio);
        m_layerRegionValid = true;
    }
    QRegion region = m_layerRegion;
    if (m_editor)
        region += editorRegion().translated(m_viewport.topLeft());
    if (!m_dragging || m_current.erases())
        return region;
    const QRect bounds = boundsOf(m_current).toAlignedRect().intersected(QRect(QPoint(0, 0), m_size));
    if (bounds.isEmpty())
        return region;
    QImage drawing = transparentImage(bounds.size(), m_pixelRatio);
    QPainter painter(&drawing);
    painter.translate(-bounds.topLeft());
    const QImage blurred = m_blurred.value(m_current.blurLevel);
    paintAnnotation(painter, m_current, blurred.isNull() ? nullptr : &blurred);
    painter.end();
    return region.united(opaqueRegion(drawing, m_pixelRatio).translated(bounds.topLeft()));
}

int Canvas::Start(int shape, ColorRef color1, ColorRef color2, const char* fontFamily, double size)
{
    if (shape < CS_None || shape > CS_BlurBox || (isBlur(shape) && m_picture.isNull()))
        return -1;
    if (shape == CS_None) {
        Stop();
        return 0;
    }
    if (shape != CS_Text)
        finishText();
    m_dragging = false;
    m_shape = shape;
    m_color1 = QColor::fromRgba(color1);
    m_color2 = QColor::fromRgba(color2);
    m_fontFamily = fontFamily ? QString::fromUtf8(fontFamily) : QString();
    m_penSize = qMax(1.0, size);
    if (m_editor)
        styleEditor();
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setCursor(shape == CS_Text ? Qt::IBeamCursor : Qt::CrossCursor);
    update();
    emit drawingChanged(true);
    return 0;
}

void Canvas::Stop()
{
    finishText();
    m_dragging = false;
    m_shape = CS_None;
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    unsetCursor();
    update();
    emit drawingChanged(false);
}

void Canvas::Undo()
{
    finishText();
    if (m_undo.isEmpty())
        return;
    m_redo.append(m_items);
    m_items = m_undo.takeLast();
    renderLayer();
    reportHistory();
}

void Canvas::Redo()
{
    finishText();
    if (m_redo.isEmpty())
        return;
    m_undo.append(m_items);
    m_items = m_redo.takeLast();
    renderLayer();
    reportHistory();
}

void Canvas::Clear()
{
    finishText();
    if (!m_items.isEmpty())
        commit({});
}

void Canvas::commit(const QVector<Annotation>& items)
{
    m_undo.append(m_items);
    m_items = items;
    m_redo.clear();
    renderLayer();
    reportHistory();
}

void Canvas::renderLayer()
{
    m_layer.fill(Qt::transparent);
    QPainter painter(&m_layer);
    for (const Annotation& item : qAsConst(m_items))
        paintAnnotation(painter, item, isBlur(item.shape) ? blurredAt(item.blurLevel) : nullptr);
    painter.end();
    m_layerRegionValid = false;
    update();
    emit painted();
}

void Canvas::reportHistory()
{
    if (m_event)
        m_event->OnScreenCanvasEvent(m_undo.isEmpty() ? 0 : 1, m_redo.isEmpty() ? 0 : 1);
}

const QImage* Canvas::blurredAt(int level)
{
    if (m_picture.isNull())
        return nullptr;
    auto found = m_blurred.find(level);
    if (found == m_blurred.end())
        found = m_blurred.insert(level, blurredPicture(m_picture, level));
    return &found.value();
}

void Canvas::addAirDots(const QPointF& centre)
{
    const double radius = m_penSize / 2;
    const int count = qMax(kMinAirDots, int(m_penSize));
    QRandomGenerator* random = QRandomGenerator::global();
    for (int i = 0; i < count; ++i) {
        // Even over the disc: the distance grows with the root of a uniform number.
        const double angle = random->generateDouble() * 2 * M_PI;
        const double distance = radius * qSqrt(random->generateDouble());
        m_current.points.append(centre + QPointF(qCos(angle), qSin(angle)) * distance);
    }
}

void Canvas::pointerPressed(const QPointF& point)
{
    if (!isDrawing())
        return;
    if (m_shape == CS_Text) {
        finishText();
        openEditor(point);
        return;
    }
    Annotation item;
    item.shape = m_shape;
    item.color1 = m_color1;
    item.color2 = m_color2;
    item.size = m_penSize;
    item.fontFamily = m_fontFamily;
    item.blurLevel = m_blurLevel;
    if (m_shape == CS_Callout) {
        item.points = {point};
        item.number = ++m_lastNumber;
        QVector<Annotation> items = m_items;
        items.append(item);
        commit(items);
        if (m_event)
            m_event->OnNumberChanged(item.number);
        return;
    }
    if (isBlur(m_shape))
        blurredAt(m_blurLevel);
    m_current = item;
    m_dragging = true;
    if (m_shape == CS_AirBrush)
        addAirDots(point);
    else
        m_current.points = {point};
    update();
    emit painted();
}

void Canvas::pointerMoved(const QPointF& point)
{
    if (!m_dragging)
        return;
    if (isTwoPoint(m_current.shape)) {
        m_current.points = {m_current.points.first(), point};
    } else if (m_current.shape == CS_AirBrush) {
        addAirDots(point);
    } else if (m_current.points.last() != point) {
        m_current.points.append(point);
    }
    update();
    emit painted();
}

void Canvas::pointerReleased(const QPointF& point)
{
    if (!m_dragging)
        return;
    pointerMoved(point);
    m_dragging = false;
    const Annotation item = m_current;
    m_current = Annotation();
    if (item.isEmpty()) {
        update();
        emit painted();
        return;
    }
    QVector<Annotation> items = m_items;
    items.append(item);
    commit(items);
}

void Canvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.translate(-m_viewport.topLeft());
    const QRect dirty = event->rect().translated(m_viewport.topLeft());
    if (m_dragging && m_current.erases()) {
        // The erasure in progress shows as a hole in the annotations.
        QPainterPath kept;
        kept.addRect(dirty);
        painter.setClipPath(kept.subtracted(coveredArea(m_current)));
    }
    painter.drawImage(QRectF(dirty), m_layer, pixelRect(dirty, m_pixelRatio));
    painter.setClipping(false);
    if (m_dragging && !m_current.erases())
        paintAnnotation(painter, m_current, isBlur(m_current.shape) ? blurredAt(m_current.blurLevel) : nullptr);
    // Under the editor, whose background is clear.
    if (m_editor)
        painter.fillRect(caretRect().translated(m_viewport.topLeft()), m_color1);
}

QRect Canvas::caretRect() const
{
    const QRect cursor = m_editor->cursorRect();
    const QPoint top = m_editor->viewport()->mapTo(this, cursor.topLeft());
    return QRect(top, QSize(kCaretWidth, cursor.height()));
}

QRegion Canvas::editorRegion() const
{
    // What the editor paints (its text and frame) without its clear background, and the caret.
    QImage shown = transparentImage(m_editor->size(), m_pixelRatio);
    m_editor->render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
    return opaqueRegion(shown, m_pixelRatio).translated(m_editor->pos()) + caretRect();
}

void Canvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isDrawing()) {
        event->ignore();
        return;
    }
    pointerPressed(toCanvas(event->localPos()));
}

void Canvas::mouseMoveEvent(QMouseEvent* event) { pointerMoved(toCanvas(event->localPos())); }

void Canvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pointerReleased(toCanvas(event->localPos()));
}

bool Canvas::eventFilter(QObject* watched, QEvent* event)
{
    // Esc drops the text being typed, and goes no further (it would close the capture).
    if (watched == m_editor && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        closeEditor(false);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Canvas::openEditor(const QPointF& point)
{
    m_editorPoint = point;
    m_editor = new QTextEdit(this);
    // In its place before anything reports what the canvas shows.
    m_editor->move((point - m_viewport.topLeft()).toPoint() - QPoint(kEditorFrame, kEditorFrame));
    m_editor->setAcceptRichText(false);
    m_editor->setLineWrapMode(QTextEdit::NoWrap);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->document()->setDocumentMargin(0);
    m_editor->setCursorWidth(0); // the canvas draws the caret
    m_editor->installEventFilter(this);
    connect(m_editor, &QTextEdit::textChanged, this, &Canvas::fitEditor);
    connect(m_editor, &QTextEdit::cursorPositionChanged, this, [this] {
        update();
        emit painted();
    });
    styleEditor();
    m_editor->show();
    window()->activateWindow();
    m_editor->setFocus();
}

QFont Canvas::textFont() const
{
    QFont font(m_fontFamily);
    font.setPixelSize(qMax(1, qRound(m_penSize)));
    return font;
}

void Canvas::styleEditor()
{
    const QFont font = textFont();
    m_editor->setFont(font);
    // Its own style sheet, so that the application's skin does not frame or fill it, nor
    // give it a font of the skin's: a style sheet's font wins over the widget's. The family
    // is the one the text is drawn with in the end.
    QString family = QFontInfo(font).family();
    family.remove(QLatin1Char('"')).remove(QLatin1Char('\\'));
    m_editor->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; color: %1; border: %2px dashed %1;"
                                           " padding: 0; margin: 0; font-family: \"%3\"; font-size: %4px; }")
                                .arg(m_color1.name())
                                .arg(kEditorFrame)
                                .arg(family)
                                .arg(font.pixelSize()));
    fitEditor();
}

void Canvas::fitEditor()
{
    if (!m_editor)
        return;
    const QFontMetricsF metrics(textFont());
    const QString text = m_editor->toPlainText();
    const QRectF room(0, 0, 1e5, 1e5);
    const QString shown = text.isEmpty() ? QStringLiteral(" ") : text;
    QSizeF size = metrics.boundingRect(room, Qt::AlignLeft | Qt::AlignTop, shown).size();
    // Room for the cursor after the last character.
    size += QSizeF(metrics.averageCharWidth() * 2, 0);
    m_editor->resize(qCeil(size.width()) + kEditorFrame * 2, qCeil(size.height()) + kEditorFrame * 2);
    emit painted();
}

void Canvas::closeEditor(bool keep)
{
    if (!m_editor)
        return;
    QTextEdit* editor = m_editor;
    m_editor = nullptr;
    const QString text = editor->toPlainText();
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    if (!keep || text.trimmed().isEmpty()) {
        emit painted();
        return;
    }
    Annotation item;
    item.shape = CS_Text;
    item.color1 = m_color1;
    item.size = m_penSize;
    item.fontFamily = m_fontFamily;
    item.text = text;
    item.points = {m_editorPoint};
    QVector<Annotation> items = m_items;
    items.append(item);
    commit(items);
}

} // namespace capture
