#pragma once
// Paths and folders, disk space and size units, media information, supported codecs
// and message boxes.

#include "core/RecordTypes.h"

#include <QDateTime>
#include <QMap>
#include <QRect>
#include <QString>

class QWidget;

class Utils {
public:
    // The per-application data folder (a private folder, OvPrivateFiles), without a trailing "/".
    static QString getAppDataLocation();
    // The application log, "<data folder>/sr.log".
    static QString getAppLogPath();
    // The temporary root "<data folder>/Screen Recorder", a private folder. Every
    // recording has a folder of its own in it (RecordingScratch).
    static QString getRecorderTmpRoot();
    // Removes the scratch files of one recording, the one whose file is `recordedFile`: its
    // recording folder, or the file alone when it lies directly in the temporary root.
    // Never touches another recording's files, nor anything outside the temporary root.
    static void removeTempRoot(const QString& recordedFile);

    static QString getVideoOutputPath();
    static void setVideoOutputPath(const QString& path);
    static QString getSnapshotPath();
    static void setSnapshotPath(const QString& path);
    static QString getOriginalVideoOutputPath();
    static QString getOriginalSnapshotPath();
    // Creates the folder with its parents when missing; false when that fails.
    static bool ensureExists(const QString& folder);
    // Makes `folder` a private folder of the application (OvPrivateFiles); logs why not.
    static bool ensurePrivate(const QString& folder);

    // Free bytes of the volume that holds the folder of `path` (the folder is created first),
    // as PlatformSeam answers. `ok` is false when the volume cannot be asked; negative
    // answers become 0. Any thread.
    static qint64 freeDiskSize(const QString& path, bool& ok);
    // True when both paths lie on the same volume; the folder `b` is created first.
    static bool isSameStorage(const QString& a, const QString& b);
    // "GB", "MB" or "KB" and the value in that unit.
    static QString getUtilOfSize(qint64 bytes, double& value);
    // The size text of a saved file: "%.2f" of the value joined to its unit ("12.34MB").
    static QString sizeText(qint64 bytes);
    // The size text of a webcam photo: the whole part of the value joined to its unit
    // (2.7 MB gives "2MB").
    static QString wholeSizeText(qint64 bytes);

    // Play length in seconds; 0 when the file cannot be read.
    static double getMediaDuration(const QString& path);
    // Length in seconds of the engine's last audio recording; 0 when there is none.
    static double getAudioDuration();
    // Picture rectangle (0, 0, width, height); empty when the file has no picture.
    static QRect getVideoRect(const QString& path);

    // True when the engine lists at least one codec for the container.
    static bool suportVidoeType(RP_Format fmt);
    // Codec number -> display name for the codecs the engine lists for the container.
    static QMap<int, QString> getSupportCodecs(RP_Format fmt);

    // Window-modal message box titled with the product name; returns the pressed
    // standard-button code (OK 0x400, Yes 0x4000, No 0x10000, Cancel 0x400000).
    static int showMacWindowMessage(MsgType type, QWidget* parent, const QString& text, MsgButton buttons);

    // Geometry of the default screen; empty when there is no desktop.
    static QRect screenGeometry();
    // Seconds since the epoch as unsigned 32 bits; 4294967295 for an invalid date-time.
    static quint32 toSecsSinceEpoch(const QDateTime& dateTime);
};
