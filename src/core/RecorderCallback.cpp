#include "RecorderCallback.h"

#include "SignalsTransfer.h"

#include <QRect>

void RecorderCallback::OnRecordError(int code) { emit SignalsTransfer::instance()->recordError(code); }

void RecorderCallback::OnRecordRectChanged(const CRect& rect)
{
    const QRect area(int(rect.left), int(rect.top), int(rect.right - rect.left), int(rect.bottom - rect.top));
    emit SignalsTransfer::instance()->recordRectChanged(area);
}
