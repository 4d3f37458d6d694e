#pragma once
// Recordings that a crash left behind. At start-up every recording folder whose process is
// gone is finished as far as it is readable and saved into the output folder as a recovered
// recording with its history entry; a leftover is removed only after its saved copy reads
// back with a length, and one that cannot be recovered stays where it is. The recovered file is
// made in the leftover's own private folder and moved into the output folder under a name
// nothing has: nothing another user put in that folder is followed or replaced. The object lives
// on the GUI thread, which adds the history entries and tells the user once; the files are
// worked on a worker thread.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QThread;
class QWidget;

class RecordingRecovery : public QObject {
    Q_OBJECT
public:
    // One recovered file and the texts of its history entry.
    struct Saved {
        QString path;
        int type = 0; // HistoryFileType
        QString resolution;
        QString duration;
        QString size;
    };
    struct Result {
        QList<Saved> saved;
        QStringList kept; // leftovers that could not be recovered, left in place
    };

    // Recovers what the recording folder `folder` holds into `outputFolder`. Blocks for as
    // long as the copies take: worker thread.
    static Result recoverFolder(const QString& folder, const QString& outputFolder);

    // Looks for recordings left by processes that are gone and starts recovering them into
    // the configured output folder. Returns the running recovery, owned by `owner`, or null
    // when there is nothing to recover. The message goes to `messageParent`. GUI thread.
    static RecordingRecovery* start(QObject* owner, QWidget* messageParent);
    // Waits for the worker: quitting in the middle of a copy keeps its leftover.
    ~RecordingRecovery() override;

signals:
    // The history has the recovered files and the user was told. GUI thread.
    void finished(const QStringList& saved, const QStringList& kept);

private:
    RecordingRecovery(const QStringList& folders, const QString& outputFolder, QObject* owner, QWidget* messageParent);
    void onWorkDone();

    QPointer<QWidget> m_pMessageParent;
    QThread* m_pThread = nullptr;
    Result m_result; // written by the worker, read after it ended
};
