#pragma once
// The save worker: puts a finished recording into the output folder under a generated
// name and reports what it saved. Lives on the preview dialog's worker thread.

#include <QObject>
#include <QString>
#include <atomic>

class SelectSavePath : public QObject {
    Q_OBJECT
public:
    explicit SelectSavePath(QObject* parent = nullptr);

    // Copies `in` to `out` in 4096-byte chunks, counting the bytes written. Never replaces
    // an existing `out`. A failed or cancelled copy removes the partial `out`.
    // Worker thread.
    bool copyFile(const QString& in, const QString& out);
    // Copied bytes / total bytes, 0 to 1; 0 before a copy starts and during a move. Any thread.
    double getUpdateProgress() const;
    // Stops the running copy and every later save of this worker. Any thread.
    void cancel();
    bool isCancelled() const { return m_bCancelled.load(); }

    // The name a save of `in` into `folder` gets now (the folder text, "/", the kind's
    // prefix and the time stamp, "(n)" when that name is taken, and the suffix), and the
    // history type of the kind. Worker thread.
    static QString outputPathFor(const QString& in, const QString& folder, int* type);

public slots:
    // Saves the file `in` into the folder `dir` (the configured output folder when empty):
    // moved within one volume, copied (after a free-space check) to another.
    // Reports through exactly one of completed, sigPathFailed, sigInputMissing — or nothing
    // when cancelled. Worker thread.
    void saveWork(QString in, QString dir);

signals:
    // `resolution`: a video's frame as its file has it ("w*h"); empty for audio.
    void completed(const QString& strFile, int nType, const QString& resolution, const QString& duration,
                   const QString& size);
    // The target folder cannot take the file; the user may choose another folder.
    void sigPathFailed(const QString& err);
    // The recording to save is gone; another folder would not help.
    void sigInputMissing(const QString& err);

private:
    std::atomic<qint64> m_nTotalBytes{0};
    std::atomic<qint64> m_nCopiedBytes{0};
    std::atomic<bool> m_bCancelled{false};
};
