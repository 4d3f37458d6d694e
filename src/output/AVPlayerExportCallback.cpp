#include "AVPlayerExportCallback.h"

#include "core/SignalsTransfer.h"

void AVPlayerExportCallback::OnExportCompleted(signed char ok)
{
    emit SignalsTransfer::instance()->OnExportCompleted(ok != 0);
}
