#pragma once
// Names, formats and history entries of screenshot files. A screenshot is named
// "Snapshot_" and the time it was taken ("yy-MM-dd_hh-mm-ss"); a second one taken in the
// same second gets "(1)", "(2)", ... so that no file is ever replaced. Any thread.

#include "OvFileUtils.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QImage;

class SnapshotFile {
public:
    struct Format {
        QString suffix;         // ".png"
        QString filter;         // the file dialog's filter of the format
        int engineCode;         // ImageCaptureFormat
        QByteArray writerName;  // QImageWriter's name of the format; empty when it has none
    };
    // The format of the settings' image format (RP_Format); PNG for a value that names no
    // image format.
    static Format formatFor(int imageFormat);
    // "Snapshot_" and the time stamp of `time`.
    static QString baseName(const QDateTime& time);
    // A path in `folder` for a screenshot taken at `time` that no file takes yet.
    static QString freePath(const QString& folder, const QDateTime& time, const QString& suffix);
    // The base name `path` had before a "(n)" kept it apart from another file.
    static QString plainBaseName(const QString& path);
    // Writes `image` to `path` with the writer `writerName`, never over anything that has the
    // name (a link included); a failed write leaves no file. JPEG and BMP get the picture
    // without transparency.
    static bool write(const QImage& image, const QString& path, const QByteArray& writerName);
    // QImageWriter's name of the format a file suffix names ("jpg" -> "jpeg"); empty for a
    // suffix that names no image format, or one that cannot be written here (GIF).
    static QByteArray writerForSuffix(const QString& suffix);
    // Saves the picture file `source` as `target`, in the format the target's suffix names
    // (converted when it differs; kept as it is for a suffix that names no format).
    // The file is written beside `target` and given its name as `existing` says: what has the
    // name (a link another user put there included) is either kept, and the export fails with
    // EEXIST, or replaced itself; it is never written through. False, with `target` untouched,
    // no file left beside it and the errno of the failure in `failure`, on failure.
    static bool exportTo(const QString& source, const QString& target, OvFileUtils::ExistingName existing,
                         int* failure = nullptr);
    // Adds the saved screenshot at `path` to the history (an image, with its picture size
    // and file size), through the signal hub. GUI thread.
    static void addToHistory(const QString& path);
    // The same for a webcam photo, whose file size is given as a whole number ("2MB").
    static void addPhotoToHistory(const QString& path);

private:
    static void addEntry(const QString& path, const QString& sizeText);
};
