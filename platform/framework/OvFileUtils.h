#pragma once
// File and folder helpers of the framework. Any thread.

#include <QString>

class OvFileUtils {
public:
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
    // Moves `path` into the user's trash, with the trash information desktops read to put it
    // back. False with the reason in `error` when it stays where it is.
    static bool moveToTrash(const QString& path, QString* error = nullptr);
};
