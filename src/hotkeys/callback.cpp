#include "callback.h"

#include "core/SignalsTransfer.h"

callback::callback(int hotKey)
    : m_hotKey(hotKey)
{
}

void callback::onAction() { emit SignalsTransfer::instance()->hotKeyPressed(m_hotKey); }
