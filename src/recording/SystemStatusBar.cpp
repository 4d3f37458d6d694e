#include "SystemStatusBar.h"

#include "core/RecordState.h"
#include "Log.h"
#include "OvProductInfo.h"
#include "core/RecordParameter.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
// The icon blinks once a second while recording.
const int kBlinkMs = 1000;
} // namespace

SystemStatusBar* SystemStatusBar::instance()
{
    static SystemStatusBar* s_instance = new SystemStatusBar();
    return s_instance;
}

SystemStatusBar::SystemStatusBar()
{
    m_pMenu = new QMenu();
    m_pMenu->setObjectName(QStringLiteral("trayMenu"));
    m_pInfo = m_pMenu->addAction(QString());
    m_pInfo->setObjectName(QStringLiteral("actInfo"));
    m_pInfo->setEnabled(false);
    m_pInfo->setVisible(false);
    connect(addAction(QStringLiteral("actRecord"), tr("Start Recording")), &QAction::triggered, this,
            &SystemStatusBar::sigStartRecord);
    connect(addAction(QStringLiteral("actPause"), tr("Pause")), &QAction::triggered, this,
            &SystemStatusBar::sigPauseResume);
    connect(addAction(QStringLiteral("actStop"), tr("Stop Recording")), &QAction::triggered, this,
            &SystemStatusBar::sigStopRecord);
    m_pMenu->addSeparator();
    connect(addAction(QStringLiteral("actShowMain"), tr("Show Main Window")), &QAction::triggered, this,
            &SystemStatusBar::sigShowMainWindow);
    connect(addAction(QStringLiteral("actPreview"), tr("Show Preview")), &QAction::triggered, this,
            &SystemStatusBar::sigShowPreview);
    connect(addAction(QStringLiteral("actCamera"), tr("Webcam")), &QAction::triggered, this,
            &SystemStatusBar::sigShowCamera);
    connect(addAction(QStringLiteral("actSettings"), tr("Preferences...")), &QAction::triggered, this,
            &SystemStatusBar::sigShowOption);
    connect(addAction(QStringLiteral("actFeedback"), tr("Send Feedback...")), &QAction::triggered, this,
            &SystemStatusBar::sigShowFeedback);
    m_pMenu->addSeparator();
    connect(addAction(QStringLiteral("actQuit"), tr("Quit")), &QAction::triggered, this, &SystemStatusBar::sigQuit);

    connect(m_pMenu, &QMenu::aboutToShow, this, &SystemStatusBar::updateActions);

    m_pTray = new QSystemTrayIcon(this);
    m_pTray->setContextMenu(m_pMenu);
    m_pTray->setToolTip(OvProductInfo::instance()->productName());
    connect(m_pTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && m_bActionsEnabled && m_state == SBS_NORMAL)
            emit sigShowMainWindow();
    });

    m_pBlinkTimer = new QTimer(this);
    m_pBlinkTimer->setInterval(kBlinkMs);
    connect(m_pBlinkTimer, &QTimer::timeout, this, &SystemStatusBar::onBlink);
    setSysBarState(SBS_NORMAL);
    RecordState* state = RecordState::instance();
    connect(state, &RecordState::stateChanged, this, [this, state] {
        setSysBarState(state->barState());
        setStopEnable(state->stopAllowed());
    });
}

QAction* SystemStatusBar::addAction(const QString& name, const QString& text)
{
    QAction* a = m_pMenu->addAction(text);
    a->setObjectName(name);
    return a;
}

QAction* SystemStatusBar::action(const QString& name) const { return m_pMenu->findChild<QAction*>(name); }

void SystemStatusBar::showIcon()
{
    // Shown also without a tray: Qt then watches the desktop's tray selection and docks the
    // icon whenever a tray takes it (a panel started after us, or restarted).
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        Log("SystemStatusBar", 1, "no system tray yet: the status item docks when one appears");
    m_pTray->show();
}

QIcon SystemStatusBar::stateIcon(SysBarState state, bool blinkOn)
{
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A rounded screen with a status mark: a red dot to record, pause bars, a blinking dot.
    p.setPen(QPen(QColor(0x4f, 0x7c, 0xff), 5));
    p.setBrush(QColor(0x1f, 0x23, 0x29));
    p.drawRoundedRect(QRectF(5, 9, 54, 40), 7, 7);
    p.drawLine(QPointF(24, 57), QPointF(40, 57));
    p.setPen(Qt::NoPen);
    switch (state) {
    case SBS_RECORDING:
        p.setBrush(blinkOn ? QColor(0xe5, 0x39, 0x35) : QColor(0x6b, 0x2a, 0x2a));
        p.drawEllipse(QPointF(32, 29), 12, 12);
        break;
    case SBS_PAUSED:
    case SBS_PAUSED2:
        p.setBrush(QColor(0xff, 0xb5, 0x17));
        p.drawRect(QRectF(23, 18, 7, 22));
        p.drawRect(QRectF(35, 18, 7, 22));
        break;
    default:
        p.setBrush(QColor(0xe5, 0x39, 0x35));
        p.drawEllipse(QPointF(32, 29), 9, 9);
        break;
    }
    p.end();
    return QIcon(pm);
}

QIcon SystemStatusBar::currentIcon() const { return m_pTray->icon(); }

void SystemStatusBar::setSysBarState(SysBarState state)
{
    m_state = state;
    m_bBlinkOn = true;
    if (state == SBS_RECORDING)
        m_pBlinkTimer->start();
    else
        m_pBlinkTimer->stop();
    if (state == SBS_NORMAL) {
        m_pInfo->setVisible(false);
        m_pTray->setToolTip(OvProductInfo::instance()->productName());
    }
    m_pTray->setIcon(stateIcon(state, true));
    updateActions();
}

void SystemStatusBar::onBlink()
{
    m_bBlinkOn = !m_bBlinkOn;
    m_pTray->setIcon(stateIcon(m_state, m_bBlinkOn));
}

void SystemStatusBar::setActionEnable(bool enable)
{
    m_bActionsEnabled = enable;
    updateActions();
}

void SystemStatusBar::setStopEnable(bool enable)
{
    m_bStopEnabled = enable;
    updateActions();
}

void SystemStatusBar::setRecordInfo(const QString& time, const QString& size)
{
    const QString text = size.isEmpty() ? time : QStringLiteral("%1   %2").arg(time, size);
    m_pInfo->setText(text);
    m_pInfo->setVisible(m_state != SBS_NORMAL);
    m_pTray->setToolTip(QStringLiteral("%1 - %2").arg(OvProductInfo::instance()->productName(), text));
}

void SystemStatusBar::updateActions()
{
    const bool recording = m_state != SBS_NORMAL;
    const bool paused = m_state == SBS_PAUSED || m_state == SBS_PAUSED2;
    action(QStringLiteral("actRecord"))->setVisible(!recording);
    action(QStringLiteral("actRecord"))->setEnabled(m_bActionsEnabled);
    QAction* pause = action(QStringLiteral("actPause"));
    pause->setVisible(recording);
    pause->setText(paused ? tr("Resume") : tr("Pause"));
    pause->setEnabled(m_bActionsEnabled);
    QAction* stop = action(QStringLiteral("actStop"));
    stop->setVisible(recording);
    stop->setEnabled(m_bActionsEnabled && m_bStopEnabled);
    for (const char* name : {"actShowMain", "actCamera", "actSettings", "actFeedback"})
        action(QString::fromLatin1(name))->setEnabled(m_bActionsEnabled && !recording);
    // Only an open preview can be brought back.
    action(QStringLiteral("actPreview"))->setEnabled(RecordParameter::instance()->m_bPreview);
    // Quitting stays possible even while a dialog holds the other actions back, but not
    // in the middle of a recording: stop it first.
    action(QStringLiteral("actQuit"))->setEnabled(!recording);
}
