#pragma once
// A photo of the open camera, as the webcam window and the webcam options take it: written
// as a JPEG into the screenshot folder (created when missing) under the prefix and the time
// it was taken; a second photo in the same second gets "(1)", "(2)", ... so that no photo is
// ever replaced. The saved photo enters the history and flies out of the window that took
// it. GUI thread.

#include <QDateTime>
#include <QString>

class QRect;
class QWidget;

class CameraPhoto {
public:
    // The path in `folder` for a photo named `prefix` + the time stamp of `time` that no
    // file takes yet.
    static QString freePath(const QString& folder, const QString& prefix, const QDateTime& time);
    // Takes the photo; on success adds it to the history, flies it out from `from` (desktop
    // pixels) over `parent`, and returns its path. Empty (nothing added, nothing shown) when
    // the camera gave no picture or the file could not be written.
    static QString take(const QString& prefix, QWidget* parent, const QRect& from);
};
