#include "AVPlayerStatusCallback.h"

#include "core/SignalsTransfer.h"

void AVPlayerStatusCallback::OnStatueChanged(AVPlayerItemStatus status)
{
    emit SignalsTransfer::instance()->OnStatueChanged(int(status));
}

void AVPlayerStatusCallback::OnTrimCancel()
{
    emit SignalsTransfer::instance()->OnTrimCancel();
}

void AVPlayerStatusCallback::OnTrimOK(double begin, double end)
{
    emit SignalsTransfer::instance()->OnTrimOK(begin, end);
}
