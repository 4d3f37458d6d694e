#pragma once
// The preview and trim dialog shown after every recording: it plays the temporary
// recording, lets the user cut a range out of it with the player's trim controls, and
// saves the result through the save worker on its own thread. Accepted when the file was
// saved and entered the history; rejected on "Re-Record", on closing, and when the
// recording cannot be played or is gone. A failed export or conversion leaves the
// recording untouched and the dialog on its clip page, from where it can be saved again. A
// failed save asks for another folder; without one it goes to the Documents folder of the
// company (the user is told where it went, and that this is now the output folder), and only
// when that fails too does the dialog go back to its clip page.
// While it exists, RecordState counts a preview open.
// GUI thread only; the save worker runs on the dialog's worker thread.

#include "OvDialogBase.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QThread>
#include <memory>

namespace Ui {
class DlgVideoClip;
}
class AVClipManager;
class DlgReRecord;
class OvMainWindowBase;
class QMovie;
class QTimer;
class SelectSavePath;

class DlgVideoClip : public OvDialogBase {
    Q_OBJECT
    Q_PROPERTY(QString progressImg READ progressImg WRITE setProgressImg)
public:
    DlgVideoClip(QString file, OvMainWindowBase* mainWindow, QWidget* parent, bool isVideo, bool saveDirectly);
    ~DlgVideoClip() override;

    // The time of day of `time` in seconds, milliseconds included.
    static double DateTimeToSecond(const QDateTime& time);
    // "hh:mm:ss.zzz" of a length in seconds (whole milliseconds).
    static QString lengthText(double seconds);
    // True when the two lengths are equal within a relative tolerance of 1e-12.
    static bool sameLength(double a, double b);

    QString progressImg() const { return m_strProgressImg; }
    void setProgressImg(const QString& file) { m_strProgressImg = file; }

    // The file handed to the save worker (the clip file, or the source when untrimmed).
    QString clipFile() const { return m_strClipFile; }
    double totalLength() const { return m_dTotalLength; }
    double clipLength() const { return m_dClipLength; }
    bool isTrimming() const { return m_bTrimming; }
    bool isPlayerReady() const { return m_bPlayerReady; }
    bool isSaving() const { return m_bSaving; }
    AVClipManager* clipManager() const { return m_pClipManager.get(); }

signals:
    // Asks the worker to save the file `in` into the folder `out`.
    void sigSave(QString in, QString out);

public slots:
    void onSave();
    void onClip();
    void onReRecord();
    void onTrimOK(double trimBegin, double trimEnd);
    void onTrimCancel();
    void onExportCompleted(bool bSuccessed);
    void onStatueChanged(int status);
    void onUpdateProgressBar();
    void onCompleted(const QString& path, int type, const QString& resolution, const QString& duration,
                     const QString& size);
    void onPathFailed(const QString& err);
    // The worker found the recording gone: nothing can be saved any more.
    void onInputMissing(const QString& err);

    void onSetStart(QDateTime start);
    void onSetEnd(QDateTime end);
    void onCancelExport();
    void onAccept();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The clip file's name before any export: next to the source for video, the source
    // path plus "_clip." (the conversion adds the extension) for audio.
    QString initialClipFile() const;
    // A new facade with the player of this recording (none for a video saved directly).
    void createPlayer();
    // After a failed export or conversion: the player again, for the same range.
    void restorePlayer();
    void setupWorkerThread();
    void initLengths();
    void showClipLength();
    // Hands `file` to the worker for `folder`; the dialog waits on its progress page.
    // `documentsFallback`: no folder was chosen after a failed save, so the user is told
    // where the recording went once it is saved.
    void startSave(const QString& file, const QString& folder, bool documentsFallback = false);
    // A save step could not even start: tell the user and go back to the clip page.
    void failedToStart(const QString& what);
    void backToClipPage();
    void finishAccepted();

    std::unique_ptr<Ui::DlgVideoClip> ui;
    QString m_strSourceFile;
    QString m_strClipFile;
    OvMainWindowBase* m_pMainWindow = nullptr;
    bool m_bVideo = true;
    bool m_bSaveDirectly = false;
    bool m_bPlayerReady = false;
    bool m_bTrimming = false;  // the trim controls are open, or an export or conversion runs
    bool m_bExporting = false; // an export or conversion runs
    bool m_bSaving = false;
    double m_dTotalLength = 0.0;
    double m_dClipLength = 0.0;
    double m_dTrimBegin = 0.0; // the last confirmed range
    double m_dTrimEnd = 0.0;
    std::unique_ptr<AVClipManager> m_pClipManager;
    QThread m_workerThread;
    SelectSavePath* m_pWorker = nullptr;
    QTimer* m_pProgressTimer = nullptr;
    // Held weakly: a completion may delete the prompt while it is still open.
    QPointer<DlgReRecord> m_pReRecord;
    QString m_strProgressImg;
    QMovie* m_pMovie = nullptr;
    // The file waiting in the worker; a save that failed can be sent again without
    // exporting anew.
    QString m_strPendingSave;
    // The folder the worker was last asked to save into.
    QString m_strSaveFolder;
    bool m_bDocumentsFallback = false; // ... the Documents folder, as no folder was chosen
};
