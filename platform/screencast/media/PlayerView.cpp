#include "PlayerView.h"
#include "PlayerCore.h"
#include "TrimRangeSelector.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVariant>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace media {

namespace {
// The position slider counts milliseconds.
const int kSliderStepsPerSecond = 1000;

QString timeText(double seconds)
{
    const int total = int(std::floor(std::max(0.0, seconds)));
    return QStringLiteral("%1:%2").arg(total / 60, 2, 10, QLatin1Char('0')).arg(total % 60, 2, 10, QLatin1Char('0'));
}

// The play (triangle) or pause (two bars) symbol, drawn here so it shows under any style.
QIcon playIcon(bool play)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 235));
    if (play) {
        const QPointF triangle[] = {QPointF(5, 3), QPointF(17, 10), QPointF(5, 17)};
        p.drawPolygon(triangle, 3);
    } else {
        p.drawRect(QRectF(4, 3, 4, 14));
        p.drawRect(QRectF(12, 3, 4, 14));
    }
    return QIcon(pixmap);
}

QString preciseTime(double seconds)
{
    const qint64 ms = qint64(std::llround(std::max(0.0, seconds) * 1000));
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}
} // namespace

PictureSurface::PictureSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureSurface::setPicture(const QImage& image)
{
    m_image = image;
    update();
}

void PictureSurface::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_image.isNull()) {
        // Sound only: a note in the middle.
        p.setPen(QColor(200, 200, 200));
        QFont font = p.font();
        font.setPixelSize(std::max(12, height() / 3));
        p.setFont(font);
        p.drawText(rect(), Qt::AlignCenter, QString(QChar(0x266B)));
        return;
    }
    const QSize size = m_image.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_image);
}

PlayerView::PlayerView(QWidget* host, PlayerCore* core) : QWidget(host), m_core(core)
{
    setObjectName(QStringLiteral("scPlayerView"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(30, 30, 30));
    pal.setColor(QPalette::WindowText, QColor(230, 230, 230));
    setPalette(pal);

    m_surface = new PictureSurface(this);

    m_trimBar = new QWidget(this);
    m_trimBar->setObjectName(QStringLiteral("scTrimBar"));
    m_trimRange = new TrimRangeSelector(m_trimBar);
    m_lblTrim = new QLabel(m_trimBar);
    auto* btnOK = new QPushButton(tr("OK"), m_trimBar);
    btnOK->setObjectName(QStringLiteral("btnTrimOK"));
    auto* btnCancel = new QPushButton(tr("Cancel"), m_trimBar);
    btnCancel->setObjectName(QStringLiteral("btnTrimCancel"));
    auto* trimLayout = new QHBoxLayout(m_trimBar);
    trimLayout->setContentsMargins(8, 4, 8, 4);
    trimLayout->addWidget(m_trimRange, 1);
    trimLayout->addWidget(m_lblTrim);
    trimLayout->addWidget(btnCancel);
    trimLayout->addWidget(btnOK);
    m_trimBar->hide();

    m_controls = new QWidget(this);
    m_controls->setObjectName(QStringLiteral("scControlBar"));
    m_btnPlay = new QToolButton(m_controls);
    m_btnPlay->setObjectName(QStringLiteral("btnPlayPause"));
    m_btnPlay->setAutoRaise(true);
    m_btnPlay->setIconSize(QSize(20, 20));
    m_slider = new QSlider(Qt::Horizontal, m_controls);
    m_slider->setObjectName(QStringLiteral("sldPosition"));
    m_lblTime = new QLabel(m_controls);
    m_lblTime->setObjectName(QStringLiteral("lblTime"));
    auto* controlLayout = new QHBoxLayout(m_controls);
    controlLayout->setContentsMargins(8, 2, 8, 2);
    controlLayout->addWidget(m_btnPlay);
    controlLayout->addWidget(m_slider, 1);
    controlLayout->addWidget(m_lblTime);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_surface, 1);
    layout->addWidget(m_trimBar);
    layout->addWidget(m_controls);

    m_btnPlay->setIcon(playIcon(true));
    m_btnPlay->setProperty("paused", true);
    // Light on dark whatever the application's style sheet says about text and buttons.
    setStyleSheet(QStringLiteral("QLabel { color: #e6e6e6; background: transparent; }"
                                 "QToolButton { border: none; background: transparent; }"));

    connect(m_btnPlay, &QToolButton::clicked, this, &PlayerView::onPlayPause);
    connect(m_slider, &QSlider::sliderMoved, this, &PlayerView::onSliderMoved);
    connect(btnOK, &QPushButton::clicked, this, [this] { m_core->trimAccepted(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { m_core->trimCancelled(); });
    connect(m_trimRange, &TrimRangeSelector::sigRangeChanged, this, [this](double begin, double end, bool beginHandle) {
        m_lblTrim->setText(preciseTime(begin) + QStringLiteral(" - ") + preciseTime(end));
        m_core->trimDragged(begin, end, beginHandle);
    });

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &PlayerView::onTick);
    timer->start(100);

    host->installEventFilter(this);
    setGeometry(host->rect());
    onTick();
    show();
}

PlayerView::~PlayerView()
{
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
}

bool PlayerView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void PlayerView::notifyFrame()
{
    QMetaObject::invokeMethod(this, [this] { onFrame(); }, Qt::QueuedConnection);
}

void PlayerView::onFrame()
{
    m_surface->setPicture(m_core->frame());
}

void PlayerView::onTick()
{
    const double length = m_core->duration();
    const double position = m_core->position();
    const bool paused = m_core->isPaused();
    if (m_btnPlay->property("paused") != QVariant(paused)) {
        m_btnPlay->setIcon(playIcon(paused));
        m_btnPlay->setProperty("paused", paused);
    }
    m_btnPlay->setToolTip(paused ? tr("Play") : tr("Pause"));
    if (!m_slider->isSliderDown()) {
        m_slider->setRange(0, int(length * kSliderStepsPerSecond));
        m_slider->setValue(int(position * kSliderStepsPerSecond));
    }
    m_lblTime->setText(timeText(position) + QStringLiteral(" / ") + timeText(length));
}

void PlayerView::onPlayPause()
{
    if (m_core->isPaused())
        m_core->resume();
    else
        m_core->pause();
    onTick();
}

void PlayerView::onSliderMoved(int value)
{
    m_core->seek(double(value) / kSliderStepsPerSecond);
}

void PlayerView::showTrimBar(double begin, double end, double length)
{
    m_trimRange->setLength(length);
    setTrimRange(begin, end);
    m_trimBar->show();
}

void PlayerView::hideTrimBar()
{
    m_trimBar->hide();
}

void PlayerView::setTrimRange(double begin, double end)
{
    m_trimRange->setRange(begin, end);
    m_lblTrim->setText(preciseTime(begin) + QStringLiteral(" - ") + preciseTime(end));
}

void PlayerView::setControlsStyle(contralsStyle style)
{
    m_controls->setVisible(style != ControlsStyleNone);
}

} // namespace media
