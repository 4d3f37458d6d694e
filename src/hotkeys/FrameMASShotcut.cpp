#include "FrameMASShotcut.h"

#include "OvProductInfo.h"
#include "OvSettings.h"
#include "hotkeys/MASShortcut.h"
#include "hotkeys/MASShortcutView.h"
#include "hotkeys/testMASShotcutPriv.h"
#include "ui_FrameMASShotcut.h"

#include <QEvent>

namespace {
// The rows are bound, and given their defaults, in this order.
const RP_HotKey kBindingOrder[] = {RP_HK_FLOAT, RP_HK_PAUSE, RP_HK_SNAPSHOT, RP_HK_START, RP_HK_WEBCAM};
// The skins with a dark background, where the fields draw light text.
const char* const kDarkSkins[] = {"Elegance", "Classic", "Simple", "Royal_Blue"};
} // namespace

FrameMASShotcut::FrameMASShotcut(QWidget* parent)
    : QFrame(parent)
    , m_pUi(new Ui::FrameMASShotcut)
    , m_pPriv(new testMASShotcutPriv)
{
    m_pUi->setupUi(this);
    for (RP_HotKey hotKey : kBindingOrder) {
        m_pPriv->add(view(hotKey), hotKey);
        const QString key = MASShortcut::userDefaultsKey(hotKey);
        if (MASShortcutUserDefaultsHotKey* binding = MASShortcutUserDefaultsHotKey::binding(key)) {
            showStatus(hotKey, binding->status());
            connect(binding, &MASShortcutUserDefaultsHotKey::statusChanged, this,
                    [this, hotKey](MASShortcutUserDefaultsHotKey::Status status) { showStatus(hotKey, status); });
        }
    }
    updateMASLanuage();
    setDefaulKeyCode(false);
}

FrameMASShotcut::~FrameMASShotcut()
{
    // The bindings go first, while the fields they watch still exist.
    m_pPriv.reset();
    delete m_pUi;
}

MASShortcutView* FrameMASShotcut::view(RP_HotKey hotKey) const
{
    switch (hotKey) {
    case RP_HK_PAUSE: return m_pUi->viewPause;
    case RP_HK_START: return m_pUi->viewStop;
    case RP_HK_SNAPSHOT: return m_pUi->viewSnapshot;
    case RP_HK_WEBCAM: return m_pUi->viewWebCam;
    case RP_HK_FLOAT: return m_pUi->viewFloat;
    }
    return nullptr;
}

QLabel* FrameMASShotcut::problemLabel(RP_HotKey hotKey) const
{
    switch (hotKey) {
    case RP_HK_PAUSE: return m_pUi->lblPauseProblem;
    case RP_HK_START: return m_pUi->lblStopProblem;
    case RP_HK_SNAPSHOT: return m_pUi->lblSnapshotProblem;
    case RP_HK_WEBCAM: return m_pUi->lblWebCamProblem;
    case RP_HK_FLOAT: return m_pUi->lblFloatProblem;
    }
    return nullptr;
}

QString FrameMASShotcut::problemText(RP_HotKey hotKey) const { return problemLabel(hotKey)->text(); }

void FrameMASShotcut::setDefaulKeyCode(bool force)
{
    for (RP_HotKey hotKey : kBindingOrder)
        view(hotKey)->useKeyCodeSetDefaulShortcut(MASShortcut::defaultShortcut(hotKey).keyCode(), force);
}

void FrameMASShotcut::setCellDisenabled()
{
    for (RP_HotKey hotKey : kBindingOrder)
        view(hotKey)->setCellDisenabled();
}

void FrameMASShotcut::setPreviousRecord()
{
    m_pUi->lblWebCam->hide();
    m_pUi->viewWebCam->hide();
    m_pUi->lblWebCamProblem->hide();
}

void FrameMASShotcut::updateFontColor()
{
    const QString skin = OvSettings::instance()->currentSkin(OvProductInfo::instance()->defaultSkin());
    bool light = false;
    for (const char* dark : kDarkSkins)
        light = light || skin == QLatin1String(dark);
    for (RP_HotKey hotKey : kBindingOrder)
        view(hotKey)->setUseFontColor(light);
}

void FrameMASShotcut::updateMASLanuage()
{
    const QStringList texts = {tr("Use Old Shortcut"),
                               tr("Type New Shortcut"),
                               tr("Cancel"),
                               tr("Type Shortcut"),
                               tr("No Shortcut"),
                               tr("Click to Type New Shortcut"),
                               tr("Delete Shortcut")};
    for (RP_HotKey hotKey : kBindingOrder)
        view(hotKey)->setMASLanuage(texts);
}

void FrameMASShotcut::showStatus(RP_HotKey hotKey, MASShortcutUserDefaultsHotKey::Status status)
{
    m_status[hotKey] = status;
    QString text;
    switch (status) {
    case MASShortcutUserDefaultsHotKey::Status::Duplicate: text = tr("Also set in another row"); break;
    case MASShortcutUserDefaultsHotKey::Status::Taken: text = tr("Used by another program"); break;
    case MASShortcutUserDefaultsHotKey::Status::Unavailable: text = tr("Hotkeys are not available here"); break;
    default: break;
    }
    QLabel* label = problemLabel(hotKey);
    label->setText(text);
    label->setVisible(!text.isEmpty() && view(hotKey)->isVisibleTo(this));
}

void FrameMASShotcut::updateStatusTexts()
{
    for (RP_HotKey hotKey : kBindingOrder)
        showStatus(hotKey, m_status[hotKey]);
}

void FrameMASShotcut::showEvent(QShowEvent* event)
{
    updateFontColor();
    QFrame::showEvent(event);
}

void FrameMASShotcut::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_pUi->retranslateUi(this);
        updateMASLanuage();
        updateStatusTexts();
    }
    QFrame::changeEvent(event);
}
