#include "DlgRecordLength.h"

#include "OvProductInfo.h"
#include "core/RecordParameter.h"
#include "ui_DlgRecordLength.h"
#include "widgets/SectionTypingFilter.h"

#include <QLocale>
#include <QTime>

namespace {
const QString kTimeFormat = QStringLiteral("hh:mm:ss");
// The longest length the time edit holds.
const qint64 kMaxSeconds = 24 * 3600 - 1;

QTime timeOf(qint64 seconds) { return QTime(0, 0).addSecs(int(qBound<qint64>(0, seconds, kMaxSeconds))); }
} // namespace

DlgRecordLength::DlgRecordLength(QWidget* parent)
    : OvDialogBase(parent)
    , m_pUi(new Ui::DlgRecordLength)
{
    m_pUi->setupUi(this);
    setWindowTitle(OvProductInfo::instance()->productName());
    // The length shows and takes the C locale's digits, as the button's text writes it, and
    // takes them typed after a click.
    m_pUi->timeLength->setLocale(QLocale::c());
    m_pUi->timeLength->setDisplayFormat(kTimeFormat);
    SectionTypingFilter::install(m_pUi->timeLength);
    m_pUi->timeLength->setMinimumTime(timeOf(kMinSeconds));
    m_pUi->timeLength->setMaximumTime(timeOf(kMaxSeconds));
    m_pUi->cmbFinish->addItem(tr("Do nothing"), int(RSE_NOTHING));
    m_pUi->cmbFinish->addItem(tr("Shut down computer"), int(RSE_SHUTDOWN));
    m_pUi->cmbFinish->addItem(tr("Make computer sleep"), int(RSE_SLEEP));
    m_pUi->cmbFinish->addItem(tr("Exit program"), int(RSE_EXIT));
    connect(m_pUi->swEnable, &FfSwitchButton::clicked, this, &DlgRecordLength::updateEnabled);
    connect(m_pUi->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pUi->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setValues(load());
    postCreateDerivedDialog(false);
}

DlgRecordLength::~DlgRecordLength() { delete m_pUi; }

DlgRecordLength::Values DlgRecordLength::load()
{
    const RecordParameter* param = RecordParameter::instance();
    Values values;
    values.enabled = param->timerEnable();
    if (param->timerDuration() > 0)
        values.seconds = qMax(kMinSeconds, param->timerDuration());
    values.repeat = param->TimerRepeat();
    const int event = int(param->timerStopEvent());
    values.event = event >= RSE_NOTHING && event <= RSE_EXIT ? RecStopEvent(event) : RSE_NOTHING;
    return values;
}

void DlgRecordLength::store(const Values& values)
{
    RecordParameter* param = RecordParameter::instance();
    param->setTimerDuration(qBound(kMinSeconds, values.seconds, kMaxSeconds));
    param->setTimerRepeat(values.repeat);
    param->setTimerStopEvent(values.event);
    param->setTimerEnable(values.enabled);
}

QString DlgRecordLength::buttonText()
{
    const Values values = load();
    if (!values.enabled)
        return tr("Record Length");
    return tr("Stop after %1").arg(QLocale::c().toString(timeOf(values.seconds), kTimeFormat));
}

DlgRecordLength::Values DlgRecordLength::values() const
{
    Values values;
    values.enabled = m_pUi->swEnable->isChecked();
    values.seconds = QTime(0, 0).secsTo(m_pUi->timeLength->time());
    values.repeat = m_pUi->chkRepeat->isChecked();
    values.event = RecStopEvent(m_pUi->cmbFinish->currentData().toInt());
    return values;
}

void DlgRecordLength::setValues(const Values& values)
{
    m_pUi->swEnable->setBtnChecked(values.enabled);
    m_pUi->timeLength->setTime(timeOf(values.seconds));
    m_pUi->chkRepeat->setChecked(values.repeat);
    m_pUi->cmbFinish->setCurrentIndex(qMax(0, m_pUi->cmbFinish->findData(int(values.event))));
    updateEnabled();
}

void DlgRecordLength::done(int result)
{
    if (result == QDialog::Accepted)
        store(values());
    OvDialogBase::done(result);
}

void DlgRecordLength::updateEnabled()
{
    const bool on = m_pUi->swEnable->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_pUi->lblLength), static_cast<QWidget*>(m_pUi->timeLength),
                       static_cast<QWidget*>(m_pUi->chkRepeat), static_cast<QWidget*>(m_pUi->lblFinish),
                       static_cast<QWidget*>(m_pUi->cmbFinish)})
        w->setEnabled(on);
}
