#pragma once
// Fixed pixel sizes of the common widgets, scaled by the interface zoom factor. GUI thread.

#include "OvResourceMgr.h"

namespace SrWidgets {
// A size in pixels at zoom 1.0 multiplied by the current zoom factor and truncated.
inline int zoomPx(int px) { return int(px * OvResourceMgr::instance()->getZoomDPI()); }
} // namespace SrWidgets
