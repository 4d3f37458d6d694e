#pragma once
// The persisted history of saved files: the setting "Path/SavefilesHistroy", a list of
// string lists (name, path, type, resolution, duration, size), newest first.
// Every operation reads the setting afresh, changes it and writes it back at once. A stored
// value that is not a list is kept aside by the store (and told) before anything replaces it.
// Entries of a length other than 3 or 6 are ignored but kept in place. GUI thread: two
// threads changing the history at once would lose each other's change.

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

enum HistoryFileType { HFT_IMAGE = 0, HFT_VIDEO = 1, HFT_AUDIO = 2, HFT_ALL = 3 };

class HistoryFileUtils {
public:
    struct HistoryFile {
        QString fileName;   // last component of the path
        QString path;       // full path; the key entries are found by
        int type = 0;       // HistoryFileType
        QString resolution; // "%d*%d", empty for audio
        QString duration;   // display text
        QString size;       // display text with its unit
    };

    static QList<HistoryFile> savefileHistroy();
    // False when the file could not be written: the entry stays in the history shown and goes
    // with the next write of the settings. With `error`, the caller gets the reason and tells
    // the user itself.
    static bool addSavefileHistroy(const QString& path, int type, const QString& resolution,
                                   const QString& duration, const QString& size, QString* error = nullptr);
    // Removes the newest valid entry with exactly this path.
    static void removeSavefileFromHistory(const QString& path);
    // Does what removeSavefileFromHistory does for each path in turn, with one read and one
    // write of the setting.
    static void removeSavefilesFromHistory(const QStringList& paths);
    // Gives the newest valid entry with `oldPath` the new path and file name.
    static void updateSavefileHistory(const QString& oldPath, const QString& newPath);

    static const char* settingKey();
};

Q_DECLARE_METATYPE(HistoryFileUtils::HistoryFile)
