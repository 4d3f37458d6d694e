#pragma once
// File-name helpers for saving without replacing anything. Any thread.

#include <QString>

class FileSystemUtils {
public:
    // True when the file exists.
    static bool exists(const QString& path);
    // A path in `folder` for `baseName` + "." + `suffix` that no file takes yet: the plain
    // name when free, else the name followed by "(1)", "(2)", ...
    static QString freeFilePath(const QString& folder, const QString& baseName, const QString& suffix);
};
