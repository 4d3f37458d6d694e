#include "DlgAutoShutdownTips.h"

#include "OvModalHook.h"
#include "core/SignalsTransfer.h"
#include "ui_DlgAutoShutdownTips.h"

namespace {
// Seconds the user has to cancel.
const int kCountFrom = 30;
const int kDefaultTickMs = 1000;
int s_tickMs = kDefaultTickMs;

QString countText(int count) { return QStringLiteral("%1s").arg(count); }
} // namespace

DlgAutoShutdownTips::DlgAutoShutdownTips(const QString& notice, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_pUi(new Ui::DlgAutoShutdownTips)
{
    m_pUi->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QString());
    connect(&m_timer, &QTimer::timeout, this, &DlgAutoShutdownTips::updateTips);
    connect(m_pUi->btnCancel, &QPushButton::clicked, this, &DlgAutoShutdownTips::onReject);
    m_pUi->lblCountTips->setText(countText(kCountFrom));
    m_pUi->lblShutdownTip->setText(notice);
    m_nCount = kCountFrom;
    m_timer.start(s_tickMs);
    emit SignalsTransfer::instance()->hotKeyEnable(false);
}

DlgAutoShutdownTips::~DlgAutoShutdownTips()
{
    m_timer.stop();
    enableHotKeys();
    delete m_pUi;
}

void DlgAutoShutdownTips::setTickIntervalForTests(int ms) { s_tickMs = ms; }

int DlgAutoShutdownTips::execute() { return OvModalHook::execDialog(this, m_pUi->lblShutdownTip->text()); }

void DlgAutoShutdownTips::done(int result)
{
    m_timer.stop();
    enableHotKeys();
    QDialog::done(result);
}

void DlgAutoShutdownTips::updateTips()
{
    if (m_nCount <= 0) {
        m_timer.stop();
        accept();
    }
    m_pUi->lblCountTips->setText(countText(m_nCount));
    --m_nCount;
}

void DlgAutoShutdownTips::onReject() { reject(); }

void DlgAutoShutdownTips::enableHotKeys()
{
    if (m_bHotKeysBack)
        return;
    m_bHotKeysBack = true;
    emit SignalsTransfer::instance()->hotKeyEnable(true);
}
