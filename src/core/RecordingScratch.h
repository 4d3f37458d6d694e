#pragma once
// The scratch folders of recordings: every recording gets a folder of its own in the temporary
// root, marked with the process that records into it, so that no recording ever shares or
// loses its files to another. A folder whose process is gone (crash, kill) is an orphan,
// found at the next start-up. Any thread; folders are only ever removed by path.

#include <QString>
#include <QStringList>

class RecordingScratch {
public:
    // Makes a new folder for one recording, owned by this process. Returns its path, or an
    // empty string when it cannot be made.
    static QString create();
    // The recording folder that holds `file` directly; empty when `file` lies anywhere else.
    static QString folderOf(const QString& file);
    // The recording folders whose owning process is gone, oldest first. Folders made by this
    // process and by a live process of this program never count.
    static QStringList orphans();
    // The files a recording left in its folder: everything but the owner marker.
    static QStringList filesIn(const QString& folder);
    // Removes a recording folder with its contents. False (and nothing removed) when
    // `folder` is not a recording folder.
    static bool remove(const QString& folder);
    // Removes a recording folder that holds no recorded file (a recording that never started).
    static void removeIfEmpty(const QString& folder);

private:
    static qint64 ownerOf(const QString& folder);
};
