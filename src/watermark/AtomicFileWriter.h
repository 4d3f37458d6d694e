#pragma once
// Replacing a file in one step: the new content goes to a temporary file beside it, is
// checked to be complete, and is renamed over the old file. A failure at any point leaves
// the old file as it was. Any thread.

#include <QByteArray>
#include <QString>

class AtomicFileWriter {
public:
    // Writes `bytes` to a new temporary file in the folder of `target`; returns its path, or
    // empty text when it could not be written in full (the partial file is removed).
    static QString writeBeside(const QByteArray& bytes, const QString& target);
    // Renames `temp` over `target`; on failure removes `temp` and logs under `module`.
    static bool replace(const QString& temp, const QString& target, const char* module);
    // Both steps; false (logged under `module`) when the old file had to stay.
    static bool write(const QByteArray& bytes, const QString& target, const char* module);
};
