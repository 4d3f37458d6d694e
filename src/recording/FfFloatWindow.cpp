#include "FfFloatWindow.h"

#include "core/RecordState.h"
#include "ui_FfFloatWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

namespace {
// Each tick moves the panel by this share of its width, so a slide takes a few ticks.
const int kSlideSteps = 3;
const QColor kBackground(40, 44, 52);
const QColor kGrip(120, 128, 140);
} // namespace

FfFloatWindow::FfFloatWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_pUi(new Ui::FfFloatWindow)
{
    m_pUi->setupUi(this);
    setObjectName(QStringLiteral("FfFloatWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_pUi->btnRec->setIcon(QIcon(QStringLiteral(":/sr/icons/ctl_recording.svg")));
    m_pUi->btnStop->setIcon(QIcon(QStringLiteral(":/sr/icons/ctl_stop.svg")));
    connect(m_pUi->btnRec, &QToolButton::clicked, this, &FfFloatWindow::sigRecord);
    connect(m_pUi->btnPause, &QToolButton::clicked, this, &FfFloatWindow::sigPauseResume);
    connect(m_pUi->btnStop, &QToolButton::clicked, this, &FfFloatWindow::sigStop);
    // The panel follows what is recording now, whichever window records it.
    RecordState* state = RecordState::instance();
    connect(state, &RecordState::stateChanged, this,
            [this, state] { setRecordState(state->barState(), state->stopAllowed()); });
    setRecordState(state->barState(), state->stopAllowed());
    adjustSize();
}

FfFloatWindow::~FfFloatWindow() { delete m_pUi; }

void FfFloatWindow::setRecordState(SysBarState state, bool stopAllowed)
{
    const bool recording = state != SBS_NORMAL;
    const bool paused = state == SBS_PAUSED || state == SBS_PAUSED2;
    m_pUi->btnRec->setEnabled(!recording);
    m_pUi->btnPause->setEnabled(recording);
    m_pUi->btnStop->setEnabled(recording && stopAllowed);
    m_pUi->btnPause->setIcon(QIcon(paused ? QStringLiteral(":/sr/icons/ctl_resume.svg")
                                          : QStringLiteral(":/sr/icons/ctl_pause.svg")));
    m_pUi->btnPause->setToolTip(paused ? tr("Resume recording") : tr("Pause recording"));
}

void FfFloatWindow::toggle()
{
    if (isVisible()) {
        hide();
        return;
    }
    const QRect area = screenArea();
    move(slidInX(), area.top() + (area.height() - height()) / 2);
    show();
    raise();
}

bool FfFloatWindow::isSlidIn() const { return isVisible() && x() == slidInX(); }

QRect FfFloatWindow::screenArea() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

int FfFloatWindow::slidInX() const { return screenArea().right() + 1 - width(); }

int FfFloatWindow::slidOutX() const { return screenArea().right() + 1 - kGripWidth; }

void FfFloatWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_nSlideTimer)
        m_nSlideTimer = startTimer(kSlideIntervalMs);
}

void FfFloatWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_nSlideTimer)
        killTimer(m_nSlideTimer);
    m_nSlideTimer = 0;
}

void FfFloatWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_nSlideTimer) {
        QWidget::timerEvent(event);
        return;
    }
    const int target = frameGeometry().contains(QCursor::pos()) ? slidInX() : slidOutX();
    if (x() == target)
        return;
    const int step = qMax(1, width() / kSlideSteps);
    move(target > x() ? qMin(target, x() + step) : qMax(target, x() - step), y());
}

void FfFloatWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // The grip: what stays on the screen when the panel has slid out.
    painter.setBrush(kGrip);
    const int gripX = kGripWidth / 2 - 2;
    painter.drawRoundedRect(QRect(gripX, height() / 2 - 14, 4, 28), 2, 2);
}
