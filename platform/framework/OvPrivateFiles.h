#pragma once
// The application's private folders (its data and settings folders and the folders it makes
// in them) and its files there are open to this user alone, whatever the umask: folders
// mode 0700, files 0600. A private folder that an earlier run made with the umask is
// tightened when it is next made. Recordings and screenshots written to the user's output
// folders never go through here: they keep the umask, as with every desktop program. Any
// thread; every call returns false (the reason in `error` where asked) when it failed.

#include <QString>

class OvPrivateFiles {
public:
    // The mode of a private file, for a writer that is told the mode of the file it makes
    // (OvFileUtils::writeNewFile).
    static constexpr int kFileMode = 0600;

    // Makes `folder` a private folder: made when missing (missing parents, which are not the
    // application's, with the umask), set to mode 0700 when it exists. Refuses what is not
    // a folder of this user's own.
    static bool makeFolder(const QString& folder, QString* error = nullptr);
    // Makes the new private folder `folder` in an existing parent; false when anything has
    // that name already.
    static bool createFolder(const QString& folder);
    // Creates the empty private file `path` when nothing has that name: a writer that
    // replaces the file and keeps its permissions (QSettings) then keeps it private.
    static bool createFile(const QString& path);
    // Takes the permissions of other users from the file `path` that another writer made
    // with the umask (an archiver, an image writer).
    static bool restrictFile(const QString& path);
};
