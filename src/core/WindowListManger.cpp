#include "WindowListManger.h"

#include "OvWindowList.h"

#include <QCoreApplication>

namespace {
WindowListManger* g_instance = nullptr;
}

WindowListManger* WindowListManger::instance()
{
    if (!g_instance)
        g_instance = new WindowListManger();
    return g_instance;
}

void WindowListManger::release()
{
    delete g_instance;
    g_instance = nullptr;
}

QList<WindowListManger::WindowItem> WindowListManger::refreshWindowList()
{
    m_windows.clear();
    const qint64 ownPid = QCoreApplication::applicationPid();
    for (const OvWindowInfo& info : OvWindowList::windows()) {
        if (!info.visible || (info.pid != 0 && info.pid == ownPid))
            continue;
        WindowItem item;
        item.id = info.id;
        item.title = info.title;
        item.rect = info.rect;
        item.visible = info.visible;
        m_windows << item;
    }
    return m_windows;
}

bool WindowListManger::isWindowVisible(quint64 id) const { return OvWindowList::isWindowVisible(id); }

QRect WindowListManger::windowRect(quint64 id) const { return OvWindowList::windowRect(id); }

QRect WindowListManger::boundingRect(const QList<quint64>& ids) const
{
    QRect out;
    for (quint64 id : ids)
        out = out.united(OvWindowList::windowRect(id));
    return out;
}

quint64 WindowListManger::firstHiddenWindow(const QList<quint64>& ids) const
{
    for (quint64 id : ids)
        if (!OvWindowList::isWindowVisible(id))
            return id;
    return 0;
}
