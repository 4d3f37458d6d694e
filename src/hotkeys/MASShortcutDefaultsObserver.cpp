#include "MASShortcutDefaultsObserver.h"

#include "Log.h"
#include "OvUserDefaults.h"

#include "services/Utils.h"

#include <QDir>
#include <QMetaProperty>
#include <QWidget>

namespace {
const char kValueProperty[] = "shortcutValue";

MASShortcutDefaultsObserver* observerOf(const QObject* view)
{
    return view ? view->findChild<MASShortcutDefaultsObserver*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}
} // namespace

void MASShortcutDefaultsObserver::setAssociatedUserDefaultsKey(QObject* view, const QString& key)
{
    if (!view)
        return;
    delete observerOf(view);
    if (!key.isEmpty())
        new MASShortcutDefaultsObserver(view, key);
}

QString MASShortcutDefaultsObserver::associatedUserDefaultsKey(const QObject* view)
{
    const MASShortcutDefaultsObserver* observer = observerOf(view);
    return observer ? observer->m_key : QString();
}

MASShortcutDefaultsObserver::MASShortcutDefaultsObserver(QObject* view, const QString& key)
    : QObject(view)
    , m_view(view)
    , m_key(key)
{
    m_originalShortcut = viewValue();
    setViewValue(MASShortcut::shortcutWithData(OvUserDefaults::instance()->value(m_key)));
    connect(OvUserDefaults::instance(), &OvUserDefaults::changed, this, &MASShortcutDefaultsObserver::onDefaultsChanged);
    const QMetaObject* type = view->metaObject();
    const QMetaProperty property = type->property(type->indexOfProperty(kValueProperty));
    const int slot = metaObject()->indexOfSlot("onViewValueChanged()");
    if (!property.hasNotifySignal()
        || !QMetaObject::connect(view, property.notifySignalIndex(), this, slot))
        Log("hotkeys", 2, "%s has no notified shortcutValue: its changes are not stored", type->className());
}

MASShortcutDefaultsObserver::~MASShortcutDefaultsObserver()
{
    // m_view is null when the view itself is going.
    if (!m_view)
        return;
    disconnect(m_view, nullptr, this, nullptr);
    m_internalShortcutChange = true;
    setViewValue(m_originalShortcut);
}

MASShortcut MASShortcutDefaultsObserver::viewValue() const
{
    return m_view ? m_view->property(kValueProperty).value<MASShortcut>() : MASShortcut();
}

void MASShortcutDefaultsObserver::setViewValue(const MASShortcut& shortcut)
{
    if (m_view)
        m_view->setProperty(kValueProperty, QVariant::fromValue(shortcut));
}

void MASShortcutDefaultsObserver::onDefaultsChanged()
{
    if (m_internalPreferenceChange)
        return;
    m_internalShortcutChange = true;
    setViewValue(MASShortcut::shortcutWithData(OvUserDefaults::instance()->value(m_key)));
    m_internalShortcutChange = false;
}

void MASShortcutDefaultsObserver::onViewValueChanged()
{
    if (m_internalShortcutChange)
        return;
    m_internalPreferenceChange = true;
    OvUserDefaults* store = OvUserDefaults::instance();
    const bool stored = store->setValue(m_key, viewValue().data());
    m_internalPreferenceChange = false;
    if (stored)
        return;
    // The view shows what is stored, which is what the hot keys are installed from.
    m_internalShortcutChange = true;
    setViewValue(MASShortcut::shortcutWithData(store->value(m_key)));
    m_internalShortcutChange = false;
    auto* widget = qobject_cast<QWidget*>(m_view.data());
    Utils::showMacWindowMessage(MT_WARNING, widget ? widget->window() : nullptr,
                                tr("The shortcut could not be saved: the file \"%1\" could not be written. Check that "
                                   "its folder can be written and that the disk has free space.")
                                    .arg(QDir::toNativeSeparators(store->fileName())),
                                MB_OK);
}
