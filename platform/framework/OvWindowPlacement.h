#pragma once
// The one rule by which the program places its own windows: a window lies wholly inside the
// available area of one screen (the one holding most of it), its title bar reachable; one
// larger than that area is put at the area's top-left corner. Every window that places
// itself goes through here. GUI thread.

#include <QMargins>
#include <QPoint>
#include <QRect>

class QScreen;
class QWidget;

namespace OvWindowPlacement {
// `frame` moved (never resized) into `available`.
QRect keptInside(const QRect& frame, const QRect& available);
// The screen that holds the largest part of `frame`; the one nearest to its centre when no
// screen holds any of it; null only without screens.
QScreen* screenFor(const QRect& frame);
// `frame` moved into the available area of screenFor(frame).
QRect onScreen(const QRect& frame);
// The frame the window manager puts around `window`: its own once it has been shown, else
// that of another shown window of the program with a frame, none for a frameless window.
QMargins frameMargins(const QWidget* window);
// Moves top-level `window` so that its frame starts at `topLeft`, or as near to it as the
// rule allows.
void moveTo(QWidget* window, const QPoint& topLeft);
// Centres top-level `window` on `reference` when that is shown, else on the available area
// of the primary screen; kept by the rule.
void centreOn(QWidget* window, const QWidget* reference);
} // namespace OvWindowPlacement
