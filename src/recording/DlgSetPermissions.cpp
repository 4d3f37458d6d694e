#include "DlgSetPermissions.h"

#include "Log.h"
#include "OvProductInfo.h"
#include "services/PlatformSeam.h"
#include "ui_DlgSetPermissions.h"

DlgSetPermissions::DlgSetPermissions(QWidget* parent)
    : OvDialogBase(parent)
    , m_pUi(new Ui::DlgSetPermissions)
{
    m_pUi->setupUi(this);
    postCreateDerivedDialog(false);
    setObjectName(QStringLiteral("DlgSetPermissions"));
    setWindowTitle(OvProductInfo::instance()->productName());
    if (parent)
        setWindowModality(Qt::WindowModal);
    connect(m_pUi->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pUi->btnCheck, &QPushButton::clicked, this, &DlgSetPermissions::onCheckAgain);
    setshowGuide(PS_SCREEN, true);
}

DlgSetPermissions::~DlgSetPermissions() { delete m_pUi; }

bool DlgSetPermissions::guide(Privacy_Setting kind, QWidget* parent, MainWindowBase* mainWindow)
{
    DlgSetPermissions dlg(parent);
    dlg.setMainWindow(mainWindow);
    dlg.setshowGuide(kind, true);
    return dlg.exec() == QDialog::Accepted;
}

void DlgSetPermissions::setshowGuide(Privacy_Setting kind, bool show)
{
    m_kind = kind;
    m_pUi->labelState->clear();
    if (!show) {
        m_pUi->labelTitle->clear();
        m_pUi->labelGuide->clear();
        return;
    }
    const QString product = OvProductInfo::instance()->productName();
    if (kind == PS_MICROPHONE) {
        m_pUi->labelTitle->setText(tr("The microphone cannot be recorded"));
        m_pUi->labelGuide->setText(
            tr("<p>%1 records sound through the PulseAudio sound server (or PipeWire with its PulseAudio "
               "service), and none answers.</p><p>Start the sound server of your desktop (for example "
               "<i>systemctl --user start pipewire-pulse</i> or <i>pulseaudio --start</i>), check that a "
               "microphone is connected, then press <b>Check Again</b>.</p>")
                .arg(product));
    } else {
        m_pUi->labelTitle->setText(tr("The screen cannot be recorded"));
        m_pUi->labelGuide->setText(
            tr("<p>%1 records the screen through the X server, and it cannot read this display.</p>"
               "<p>If your desktop runs on Wayland, log out and choose an X11 session at the login screen "
               "(for example <i>GNOME on Xorg</i>). Otherwise make sure the DISPLAY variable names a running "
               "X server, then press <b>Check Again</b>.</p>")
                .arg(product));
    }
}

void DlgSetPermissions::onCheckAgain()
{
    if (PlatformSeam::current()->canRecord(m_kind)) {
        Log("DlgSetPermissions", 1, "need %d met", int(m_kind));
        accept();
        return;
    }
    m_pUi->labelState->setText(tr("Still not available."));
}
