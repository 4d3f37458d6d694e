#pragma once
// The application's persistent key/value store: one INI file in the XDG config folder.
// Thread-safe: every access holds one mutex, since workers read and write settings too.
// Lists (QVariantList, QStringList, nested) are given back exactly as written,
// whatever their length and content.
//
// Nothing stored is lost to a damaged file or a failed write:
// - Every write replaces the file atomically (written beside, flushed to disk, renamed
//   over it): a crash in the middle leaves the old or the new file whole. While a write
//   runs, the old file stays linked as "<name>.before-<pid>"; a write that fails part-way
//   (a full disk) puts it back and reports the failure. A file that is a symbolic link is
//   written through it; a loop of links is not written (OvSafeFile).
// - A change that could not be written stays in the store (what the user sees is what the
//   store holds) and goes with the next write that succeeds, so that once the disk has room
//   again the file holds everything shown. At quit flushPending() writes what is still
//   pending, or tells the user that it was not saved before the program ends.
// - A file that cannot be read is set aside, byte for byte, before anything is written:
//   it is renamed to "<name>.damaged-<yyyyMMdd-hhmmss>" in the same folder (never over an
//   earlier copy) and the store starts empty. "Cannot be read" means: larger than
//   kMaxFileBytes; holds a NUL byte or is not UTF-8 text (the writer produces plain ASCII);
//   does not end with a line break (cut off in the middle of a line); or QSettings reports
//   an error or finds no key in a file that holds text.
// - A value of a type of its own ("@Variant(...)", the lists among them) whose text (its
//   bytes once unescaped, however the line spells them) is not what Qt writes for the value
//   it reads from it (cut or changed by hand) is kept aside at load: its line is copied
//   byte for byte to "<name>.<key>.damaged-<yyyyMMdd-hhmmss>" beside the file, and the key
//   reads as absent. When the copy cannot be made, nothing is written while this process
//   runs.
// - The user is told once per failure (and again once a write succeeded in between) that
//   settings and recording history cannot be saved, with the file's path, and of every value
//   kept aside, with the copy's path: on standard error, and in a message box on the GUI
//   thread once the call has returned (flushPending(): before it returns; not without a
//   QApplication, nor with SR_NONINTERACTIVE set).

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

class OvSettings {
public:
    // Beyond this the file is not read: no real store comes near it (a history entry takes
    // well under 1 KiB), while reading it would stall the start-up.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    static OvSettings* instance();

    // The stored value, or `defaultValue` when the key is absent.
    QVariant applicationParam(const QString& key, const QVariant& defaultValue = QVariant()) const;
    // Stores at once (written through to disk). Returns false when the file could not be
    // written; the file on disk is then the one before the call, and the value stays in the
    // store, to be written with the next write. With `error`, the caller gets the reason and
    // tells the user itself.
    bool setApplicationParam(const QString& key, const QVariant& value, QString* error = nullptr);
    void removeApplicationParam(const QString& key);
    // At quit, on the GUI thread once its event loop has ended: writes the changes that earlier
    // writes could not. True when the file holds every change. False when it could not be
    // written: the user was told before this returned (why, and the file's path; also in a
    // message box, on the GUI thread), or, with writes refused, at load.
    bool flushPending();
    bool contains(const QString& key) const;

    QString currentSkin(const QString& defaultSkin) const;
    void setCurrentSkin(const QString& skin);
    int updateMode() const;
    void setUpdateMode(int mode);
    bool appAutoUpdateEnabled() const;
    void setAppAutoUpdateEnabled(bool enabled);

    // Full path of the settings file.
    QString fileName() const;
    // Re-reads the file from disk, with the checks of the first load (tests use it to
    // simulate a restart).
    void reload();

    // Once per damaged file: true on the first call after a load found the file unreadable,
    // false afterwards. `keptAs` receives the copy's path, or an empty string when the file
    // could not be set aside; it is then left in place and nothing is written to it while
    // this process runs.
    bool takeDamageReport(QString* keptAs);
    // For a value present that its reader cannot use: copies its line from the file aside and
    // tells the user, as for the values found damaged at load; the key reads as absent from
    // then on. Returns the copy's path (empty text when the file holds no such line, or the
    // copy failed).
    QString keepValueAside(const QString& key, const QString& why);

private:
    OvSettings();
    // Opens the file, setting a damaged one aside first. Called with the mutex held.
    void load();
    // Keeps aside the typed values of the file's text `data` that do not read back as written.
    void keepUnreadableValuesAside(const QByteArray& data);
    // Copies `line`, the line of `key` in the file, aside and drops the key. Mutex held.
    QString keepLineAside(const QString& key, const QByteArray& line, const QString& why);
    // Writes every change not yet in the file; false when the file could not be written whole
    // (it is then the file before, and the changes stay unsaved). Mutex held.
    bool writeThrough(QString* error = nullptr);
    static void reportWriteFailure(const QString& path, const QString& why);
    static QVariant encode(const QVariant& value);
    static QVariant decode(const QVariant& stored);

    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    QString m_path;
    bool m_damageReported = true;
    bool m_writeFailureReported = false;
    // A damaged value could not be kept aside: the file is not written while this process runs.
    bool m_writesRefused = false;
    QString m_keptAs;
    // Changes not in the file yet (encoded values, and removed keys): read from here, and
    // written again with every write until one succeeds.
    QHash<QString, QVariant> m_unsaved;
    QSet<QString> m_unsavedRemoved;
};
