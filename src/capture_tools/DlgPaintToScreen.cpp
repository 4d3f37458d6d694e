#include "DlgPaintToScreen.h"
#include "ui_DlgPaintToScreen.h"

#include "widgets/ZoomPx.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

DlgPaintToScreen::DlgPaintToScreen(QWidget* parent)
    : OvDialogBase(parent, Qt::Tool | Qt::WindowStaysOnTopHint, true)
    , ui(new Ui::DlgPaintToScreen)
{
    ui->setupUi(this);
    const int half = SrWidgets::zoomPx(kMargin) / 2;
    ui->layoutClient->setContentsMargins(half, half, SrWidgets::zoomPx(kMargin) - half, SrWidgets::zoomPx(kMargin) - half);
    connect(ui->btnClose, &QAbstractButton::clicked, this, &QDialog::reject);
    ui->btnClose->hide();
    ui->frmCloseButton->installEventFilter(this);
    ui->frmPaint->installEventFilter(this);
    // Frameless: the picture itself is the handle to drag the window by.
    postCreateDerivedDialog(true, false, nullptr);
}

DlgPaintToScreen::~DlgPaintToScreen() = default;

void DlgPaintToScreen::setImg(const QImage& img)
{
    m_img = img;
    ui->frmPaint->setBaseSize(img.size());
    const QSize margin(SrWidgets::zoomPx(kMargin), SrWidgets::zoomPx(kMargin));
    QSize shown = img.size();
    // A picture larger than the screen would put the window (and its close button) off it.
    const QRect available = screen() ? screen()->availableGeometry() : QRect();
    if (available.isValid() && !img.isNull()) {
        const QSize room = available.size() - margin;
        if (shown.width() > room.width() || shown.height() > room.height())
            shown.scale(room, Qt::KeepAspectRatio);
    }
    resize(shown + margin);
    ui->frmPaint->update();
}

void DlgPaintToScreen::placePictureAt(const QPoint& topLeft)
{
    const int half = SrWidgets::zoomPx(kMargin) / 2;
    QRect placed(topLeft - QPoint(half, half), size());
    if (QScreen* there = QGuiApplication::screenAt(topLeft))
        placed = keptInside(placed, there->availableGeometry());
    move(placed.topLeft());
}

void DlgPaintToScreen::setShadowImg(const QImage& img)
{
    m_givenShadow = img;
    m_bUseStyleShadow = false;
    update();
}

bool DlgPaintToScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->frmPaint && event->type() == QEvent::Paint && !m_img.isNull()) {
        QPainter painter(ui->frmPaint);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, ui->frmPaint->width(), ui->frmPaint->height()), m_img);
    }
    return OvDialogBase::eventFilter(watched, event);
}

void DlgPaintToScreen::enterEvent(QEvent* event)
{
    if (m_bShowClose)
        ui->btnClose->show();
    OvDialogBase::enterEvent(event);
}

void DlgPaintToScreen::leaveEvent(QEvent* event)
{
    ui->btnClose->hide();
    OvDialogBase::leaveEvent(event);
}

void DlgPaintToScreen::paintEvent(QPaintEvent* event)
{
    const QImage& shadow = m_bUseStyleShadow ? m_styleShadow : m_givenShadow;
    if (!shadow.isNull()) {
        QPainter painter(this);
        painter.drawImage(QRect(0, 0, width(), height()), shadow);
    }
    OvDialogBase::paintEvent(event);
}
