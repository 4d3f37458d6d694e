#include "AudioConvertCallback.h"

#include "core/SignalsTransfer.h"

void AudioConvertCallback::OnComplete(int code)
{
    emit SignalsTransfer::instance()->OnExportCompleted(code == 0);
}
