#include "CountdownWidget.h"

#include "OvResourceMgr.h"
#include "widgets/ZoomPx.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>

namespace {
constexpr int kLeaveMs = 100;
}

CountdownWidget::CountdownWidget(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::X11BypassWindowManagerHint)
{
    setObjectName(QStringLiteral("countdown"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CountdownWidget::onTick);
}

QPixmap CountdownWidget::picture(int n, int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QString path = OvResourceMgr::instance()->resourcesPath() + QStringLiteral("/countdown/%1.svg").arg(n);
    QSvgRenderer svg(path);
    if (QFile::exists(path) && svg.isValid()) {
        svg.render(&p, QRectF(0, 0, side, side));
        return pm;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x23, 0x29, 225));
    p.drawEllipse(QRectF(0, 0, side, side));
    QFont f;
    f.setPixelSize(side / 2);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, side, side), Qt::AlignCenter, QString::number(n));
    return pm;
}

void CountdownWidget::start(const QRect& area, int from, int stepMs)
{
    const int side = SrWidgets::zoomPx(220);
    QRect r(0, 0, side, side);
    r.moveCenter(area.center());
    setGeometry(r);
    // No compositor is needed for the round shape: the window is cut to a circle.
    setMask(QRegion(QRect(0, 0, side, side), QRegion::Ellipse));
    m_bLeaving = false;
    m_nCurrent = qMax(1, from);
    m_picture = picture(m_nCurrent, side);
    show();
    raise();
    m_pTimer->start(stepMs);
}

void CountdownWidget::cancel()
{
    m_pTimer->stop();
    m_bLeaving = false;
    m_nCurrent = 0;
    hide();
}

bool CountdownWidget::isRunning() const { return m_pTimer->isActive() || m_bLeaving; }

void CountdownWidget::onTick()
{
    if (--m_nCurrent <= 0) {
        m_pTimer->stop();
        hide();
        // Let the picture leave the screen before the recording starts and captures it.
        m_bLeaving = true;
        QTimer::singleShot(kLeaveMs, this, [this] {
            if (!m_bLeaving)
                return; // cancelled meanwhile
            m_bLeaving = false;
            emit sigFinished();
        });
        return;
    }
    m_picture = picture(m_nCurrent, width());
    update();
}

void CountdownWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}
