#pragma once
// Where the frozen picture of a display comes from. The real source grabs the X display
// through the recorder's screen grabber (other platforms: Qt's screen grab); a test installs
// a source of its own, since a display-less platform grabs nothing. GUI thread only.

#include <QImage>

class QScreen;

namespace capture {

class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    // `screen` as it shows now: its logical size times its pixel ratio, with that ratio set;
    // a null image when it cannot be grabbed.
    virtual QImage grab(QScreen* screen) = 0;

    // The installed source, or the real one.
    static ScreenSource* current();
    // Makes `source` the current one (still owned by the caller); null restores the real one.
    static void install(ScreenSource* source);
};

} // namespace capture
