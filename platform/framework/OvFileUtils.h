#pragma once
// File and folder helpers of the framework. Any thread.

#include <QString>

class OvFileUtils {
public:
    // True when a file can really be created in `folder` (tried, not guessed from permission bits).
    static bool isFolderPathWritable(const QString& folder);
    // The path in the form shown to users (native separators, no trailing separator).
    static QString makeOSLikePath(const QString& path);
};
