#include "OvDisplayProbe.h"

#include "XcbConnection.h"

bool OvDisplayProbe::canConnect(const QByteArray& name)
{
    return XcbConnection(name.isEmpty() ? nullptr : name.constData()).isOpen();
}
