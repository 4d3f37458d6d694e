#pragma once
// File and folder helpers of the framework. Any thread.

#include <QByteArray>
#include <QString>

class OvFileUtils {
public:
    // What a write of a new file does with something that already has its name.
    enum class ExistingName {
        Keep,    // nothing that has the name (a dangling link included) is replaced: EEXIST
        Replace, // the name is given to the new file: a link there is replaced, never followed
    };
    // The mode a new file takes from the user's umask, as with any program that makes a file.
    static constexpr int kUmaskMode = -1;

    // True when a file can really be created in `folder` (tried, not guessed from permission bits).
    static bool isFolderPathWritable(const QString& folder);
    // The path in the form shown to users (native separators, no trailing separator).
    static QString makeOSLikePath(const QString& path);
    // True when `path` names anything: a file, a folder, or a symbolic link even where it
    // leads nowhere.
    static bool existsInAnyForm(const QString& path);
    // Gives the file `from` the name `to` on the same filesystem, never replacing anything
    // that has that name (a dangling link included) and never copying: the file itself
    // changes its name or nothing happens. False with the reason in `error` (and errno)
    // otherwise.
    static bool renameNoReplace(const QString& from, const QString& to, QString* error = nullptr);
    // renameNoReplace(), and across filesystems a copy: written to a private new file in the
    // folder of `to`, checked to hold every byte and flushed to disk, given the user's umask
    // mode and the name `to` without replacing anything; `from` goes only after that. Never
    // follows or replaces what has the name `to` (a link another user put there included).
    // On failure `from` is as it was, no copy is left, and `error` (and errno) has the reason.
    static bool moveNoReplace(const QString& from, const QString& to, QString* error = nullptr);
    // Writes `bytes` as the file `path`: into a private new file made anew in the folder of
    // `path` (so no link there is followed), checked to hold every byte and flushed to disk,
    // given `mode` and then the name `path` by a rename, as `existing` says. Nothing ever
    // writes through what has the name. On failure nothing written is left, what had the name
    // is as it was, and `error` (and errno) has the reason.
    static bool writeNewFile(const QString& path, const QByteArray& bytes, ExistingName existing,
                             QString* error = nullptr, int mode = kUmaskMode);
    // Moves `path` into the user's trash, with the trash information desktops read to put it
    // back. False with the reason in `error` when it stays where it is.
    static bool moveToTrash(const QString& path, QString* error = nullptr);
};
