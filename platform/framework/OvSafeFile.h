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
//   is replaced and the link stays a link. A loop of links (or a chain longer than the kernel
//   follows) is refused as the kernel refuses it (ELOOP): nothing is written.
// - A file that cannot be read is set aside byte for byte under a dated name beside it,
//   never over an earlier copy.

#include <QByteArray>
#include <QString>
#include <memory>

class QSettings;

class OvSafeFile {
public:
    // Where a write of `path` lands: `path` itself, or the end of its chain of symbolic links
    // (also when nothing is there yet). Empty text, with the reason in `error`, for a loop.
    static QString writeTarget(const QString& path, QString* error = nullptr);

    // Replaces the file at `path` with `bytes`: written to a temporary file beside it,
    // checked to hold every byte, flushed to disk and renamed over it.
    static bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr);
    // The two steps of write(), for content prepared on one thread and put in place on
    // another: a complete temporary file beside the file `path` leads to (empty text on
    // failure)...
    static QString writeBeside(const QString& path, const QByteArray& bytes, QString* error = nullptr);
    // ...and its rename over that file (the temporary file is removed when this fails).
    static bool replace(const QString& temp, const QString& path, QString* error = nullptr);

    // An INI store on `path` for syncSettings(): it writes only when syncSettings() asks it to
    // (Qt would otherwise write by itself from its thread's event loop). A missing file is
    // first made empty and private to the user (0600), a mode every later write keeps.
    static std::unique_ptr<QSettings> openSettings(const QString& path);
    // Writes the pending changes of a store made by openSettings() and checks that its file
    // holds every key, each on a whole line. A file that cannot be written (a loop of links)
    // is refused before anything is written: check writeTarget() before changing the store.
    // On failure the file before the write is put back and `settings` (which may be replaced
    // by a new store on the same file) reads what the file holds again; changes Qt could not
    // write may stay in it, to go with its next write. Callers that want them kept set them
    // again before that write; callers that want them gone set the file's values back.
    static bool syncSettings(std::unique_ptr<QSettings>& settings, QString* error = nullptr);
    // Removes the copies of the file before a write that writers of `path` which ended in the
    // middle of one left behind. Call once the file is known to be sound.
    static void removeLeftOvers(const QString& path);

    // Renames the file `path` leads to "<its name>.damaged-<yyyyMMdd-hhmmss>" in its folder;
    // returns the new path, or empty text (`error` set) when it could not be renamed.
    static QString setAside(const QString& path, QString* error = nullptr);
    // Writes `bytes` to a new file "<name>.<label>.damaged-<yyyyMMdd-hhmmss>" beside the file
    // `path` leads to (whole, flushed to disk, never over an earlier copy); returns its path,
    // or empty text (`error` set) when it could not be written.
    static QString keepAside(const QString& path, const QString& label, const QByteArray& bytes,
                             QString* error = nullptr);
};
