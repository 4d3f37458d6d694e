#pragma once
// How every store of the program writes its file: whole, or not at all. Any thread; the
// writers of one file are serialised by its store (an INI store also by a kernel lock, as
// other processes write it too).
//
// - A write that did not put every byte on disk has failed (a full disk cuts a write short
//   without any error from Qt): the old file then holds exactly what it held (an INI file's
//   time may go back a second, so that Qt reads it again), no temporary file remains, and
//   the caller gets false with the reason.
// - A store whose file is a symbolic link is written through the link: the file it leads to
//   is replaced and the link stays a link.
// - A file that cannot be read is set aside byte for byte under a dated name beside it,
//   never over an earlier copy.

#include <QByteArray>
#include <QString>
#include <memory>

class QSettings;

class OvSafeFile {
public:
    // Where a write of `path` lands: `path` itself, or the end of its chain of symbolic links
    // (also when nothing is there yet).
    static QString writeTarget(const QString& path);

    // Replaces the file at `path` with `bytes`: written to a temporary file beside it,
    // checked to hold every byte, flushed to disk and renamed over it.
    static bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr);
    // The two steps of write(), for content prepared on one thread and put in place on
    // another: a complete temporary file beside the file `path` leads to (empty text on
    // failure)...
    static QString writeBeside(const QString& path, const QByteArray& bytes, QString* error = nullptr);
    // ...and its rename over that file (the temporary file is removed when this fails).
    static bool replace(const QString& temp, const QString& path, QString* error = nullptr);

    // Writes the pending changes of an INI store and checks that its file holds every key,
    // each on a whole line. On failure the file before the write is put back and `settings`
    // is replaced by a store that reads what it holds (the pending changes are gone).
    static bool syncSettings(std::unique_ptr<QSettings>& settings, QString* error = nullptr);
    // Removes the copies of the file before a write that writers of `path` which ended in the
    // middle of one left behind. Call once the file is known to be sound.
    static void removeLeftOvers(const QString& path);

    // Renames the file `path` leads to "<its name>.damaged-<yyyyMMdd-hhmmss>" in its folder;
    // returns the new path, or empty text (`error` set) when it could not be renamed.
    static QString setAside(const QString& path, QString* error = nullptr);
};
