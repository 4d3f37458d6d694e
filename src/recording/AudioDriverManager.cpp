#include "AudioDriverManager.h"

#include "Log.h"
#include "services/PlatformSeam.h"
#include "ui_AudioDriverManager.h"

AudioDriverManager::AudioDriverManager(QWidget* parent, int mode)
    : OvDialogBase(parent)
    , m_pUi(new Ui::AudioDriverManager)
    , m_nMode(mode)
{
    m_pUi->setupUi(this);
    postCreateDerivedDialog(false);
    setObjectName(QStringLiteral("AudioDriverManager"));
    if (parent)
        setWindowModality(Qt::WindowModal);
    m_pUi->btnCheck->setVisible(mode != 1);
    m_pUi->btnOk->setText(mode == 1 ? tr("OK") : tr("Cancel"));
    connect(m_pUi->btnOk, &QPushButton::clicked, this, [this] {
        if (m_nMode == 1)
            accept();
        else
            reject();
    });
    connect(m_pUi->btnCheck, &QPushButton::clicked, this, [this] {
        refresh();
        if (m_status.available)
            accept();
    });
    refresh();
}

AudioDriverManager::~AudioDriverManager() { delete m_pUi; }

void AudioDriverManager::refresh()
{
    m_status = PlatformSeam::current()->audioSourceStatus();
    Log("AudioDriverManager", 1, "sound server %d, monitor \"%s\", available %d", m_status.serverRunning,
        qUtf8Printable(m_status.monitorSource), m_status.available);
    showStatus();
}

void AudioDriverManager::showStatus()
{
    if (!m_status.serverRunning) {
        m_pUi->labelName->setText(tr("No sound server"));
        m_pUi->labelStatus->setText(tr("Not available"));
        m_pUi->labelHelp->setText(tr("System sound is recorded through PulseAudio or PipeWire (with its PulseAudio "
                                     "service). Neither answers: start the sound server of your desktop, then "
                                     "check again."));
    } else if (!m_status.available) {
        m_pUi->labelName->setText(m_status.monitorSource.isEmpty() ? tr("Monitor of the default output")
                                                                   : m_status.monitorSource);
        m_pUi->labelStatus->setText(tr("Not available"));
        m_pUi->labelHelp->setText(tr("The sound server has no monitor of its default output. Choose an output "
                                     "device in the sound settings of your desktop, then check again."));
    } else {
        m_pUi->labelName->setText(m_status.monitorSource);
        m_pUi->labelStatus->setText(tr("Ready"));
        m_pUi->labelHelp->setText(tr("What you hear from \"%1\" is recorded as system sound. Nothing has to be "
                                     "installed.").arg(m_status.defaultSink));
    }
    m_pUi->labelStatus->setStyleSheet(m_status.available ? QStringLiteral("color: #1e9e55; font-weight: bold;")
                                                         : QStringLiteral("color: #d9252b; font-weight: bold;"));
}
