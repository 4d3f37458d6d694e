#include "HotKeyReminder.h"

#include "OvProductInfo.h"
#include "hotkeys/DlgHotKeyMessage.h"
#include "tasks/TaskManage.h"

HotKeyReminder::HotKeyReminder(QWidget* parent, QObject* owner)
    : QObject(owner)
    , m_pParent(parent)
{
    create();
}

HotKeyReminder::~HotKeyReminder() { delete m_pMessage; }

DlgHotKeyMessage* HotKeyReminder::message() const { return m_pMessage; }

void HotKeyReminder::remind()
{
    if (TaskManage::instance()->m_bTasking || DlgHotKeyMessage::isRemindOff())
        return;
    // A new reminder, so that at most one set of hotkey rows exists.
    delete m_pMessage;
    create();
    m_pMessage->setWindowTitle(OvProductInfo::instance()->productName());
    m_pMessage->exec();
}

void HotKeyReminder::drop() { delete m_pMessage; }

void HotKeyReminder::restore()
{
    if (!m_pMessage)
        create();
}

void HotKeyReminder::hide()
{
    if (m_pMessage && m_pMessage->isVisible())
        m_pMessage->reject();
}

void HotKeyReminder::create() { m_pMessage = new DlgHotKeyMessage(m_pParent); }
