#pragma once
// Nine-patch scaling of a skin image: corners kept, edges and centre stretched. Any thread.

#include <QPixmap>

// A w x h pixmap made of `source` with its cw x ch corners unscaled. A null source, or a
// source or target too small for two corners, gives a transparent pixmap of w x h (null
// for an empty size).
QPixmap NinePatch(const QPixmap* source, int cw, int ch, int w, int h);
