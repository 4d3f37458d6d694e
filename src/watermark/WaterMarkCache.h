#pragma once
// The rendered picture handed to the engine, "CurWaterMarkImg.png", and what it was made
// from. Beside it "CurWaterMarkImg.key" holds a fingerprint of the rendering inputs, so a
// record whose picture, text, font, colours, opacity or shadow changed is rendered again
// before a recording uses it.
//
// Every write goes to a temporary file beside its target, renamed into place, so the engine
// never reads a half-written picture. Renders of the cache are serialised by tickets: a
// request takes a ticket before its work starts and commits after it; only the latest ticket
// may commit, so when requests overlap the latest one wins.

#include <QByteArray>
#include <QString>

class QImage;
class WaterMarkData;

class WaterMarkCache {
public:
    enum Result { Written, Superseded, Failed };

    static QString imagePath();
    static QString keyPath();
    // Fingerprint of what the record's rendering depends on (not its placement).
    static QByteArray renderKey(const WaterMarkData& record);
    // True when the cache exists and was made from the record's present rendering inputs.
    static bool isCurrent(const WaterMarkData& record);

    // Writes the image to a new temporary file beside `target` (format from the target's
    // suffix). Returns the temporary path, empty on failure. Any thread.
    // `error` (optional) tells why a valid image could not be written.
    static QString writeBeside(const QImage& image, const QString& target, QString* error = nullptr);
    // Copies a file's bytes to a new temporary file beside `target`; empty on failure. Any
    // thread. `error` (optional) tells why the copy could not be written; a source that
    // cannot be read leaves it alone.
    static QString copyBeside(const QString& source, const QString& target, QString* error = nullptr);
    // Renames `temp` over `target` in one step; removes `temp` and logs on failure (`error`,
    // optional, tells why). Any thread.
    static bool replace(const QString& temp, const QString& target, QString* error = nullptr);

    // GUI thread: a ticket for a new render of the cache.
    int begin();
    bool isLatest(int ticket) const { return ticket == m_nLatest; }
    // GUI thread: makes the temporary file `temp` the cache when `ticket` is still the
    // latest and records `key` (empty: unknown inputs, so the next hand-over renders again).
    // A superseded or empty `temp` is discarded. `error` (optional) tells why a `temp` could
    // not be put in place.
    Result commit(int ticket, const QString& temp, const QByteArray& key, QString* error = nullptr);

private:
    int m_nLatest = 0;
};
