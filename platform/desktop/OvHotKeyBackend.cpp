#include "OvHotKeyBackend.h"

#include "OvX11HotKeyBackend.h"

namespace {
OvHotKeyBackend* g_installed = nullptr;
}

OvHotKeyBackend::OvHotKeyBackend(QObject* parent)
    : QObject(parent)
{
}

OvHotKeyBackend::~OvHotKeyBackend()
{
    if (g_installed == this)
        g_installed = nullptr;
}

OvHotKeyBackend* OvHotKeyBackend::instance()
{
    if (g_installed)
        return g_installed;
    // Made on first use and kept for the life of the process (its grabs go with the
    // connection).
    static OvX11HotKeyBackend* real = new OvX11HotKeyBackend();
    return real;
}

OvHotKeyBackend* OvHotKeyBackend::setInstance(OvHotKeyBackend* backend)
{
    OvHotKeyBackend* before = g_installed;
    g_installed = backend;
    return before;
}
