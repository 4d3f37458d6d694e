#pragma once
// What the main window records, worked out without widgets: the capture modes, the preset
// sizes of the region and of the area around the mouse, and the rectangles they give. Any thread.

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

namespace RecordTarget {
// The capture modes of the main window, in the order of its mode buttons; the value is
// stored under "VideoLast/RecordMode". Webcam records the camera alone, in the webcam
// recorder window.
enum Mode { FullScreen = 0, Region = 1, Window = 2, AroundMouse = 3, AudioOnly = 4, Webcam = 5 };
// The mode records the screen (not sound alone, not the webcam alone).
inline bool recordsScreen(Mode mode) { return mode != AudioOnly && mode != Webcam; }

// Preset sizes offered for a region and for the area around the mouse.
QList<QSize> presetSizes();
// "1280 x 720".
QString sizeText(const QSize& size);

// A region of `preset` size centred where `current` is (the display's centre when
// `current` is empty), moved and cut to lie inside `display`.
QRect presetRect(const QRect& current, const QSize& preset, const QRect& display);
// The region offered when none was chosen: three quarters of the display, centred.
QRect defaultRegion(const QRect& display);
// `rect` moved (not resized, unless larger) to lie inside `display`; empty when `rect` is
// empty or does not meet `display` at all.
QRect fitInto(const QRect& rect, const QRect& display);
// The area of `size` centred on `cursor` and kept inside `display`.
QRect aroundMouseRect(const QPoint& cursor, const QSize& size, const QRect& display);

// The first of the comma-separated process names `names` that runs now (its name in
// "<procRoot>/<pid>/comm"); empty when none runs.
QString runningProgram(const QString& names, const QString& procRoot = QStringLiteral("/proc"));
} // namespace RecordTarget
