#pragma once
// The watermark store: the list of watermarks and the selected one, kept in
// "<data folder>/WaterMark/WaterMark.json" and the setting "WatermarkIndex"; the rendering of
// the selected watermark into "CurWaterMarkImg.png" and its hand-over to the capture engine
// before each screen recording.
//
// The list and the index are public: the tool strip and the watermark dialogs change them
// directly. Everything runs on the GUI thread unless a comment says otherwise.

#include "watermark/WaterMarkCache.h"
#include "watermark/WaterMarkData.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QSizeF>

class ApplyWMEditThread;
class QGraphicsEffect;
class QWidget;

class WaterMarkDataManage : public QObject {
    Q_OBJECT
public:
    // The store, created on first use and never released. Any thread once created (the
    // rendering worker asks it for paths).
    static WaterMarkDataManage* instance();

    QList<WaterMarkData> m_lstWaterMarkData;
    int m_nCurIndex = -1; // -1: no watermark

    // ---- the list and its file ------------------------------------------------------
    // Appends the records of "WaterMark.json"; false when it is missing, unreadable or not JSON.
    // A file that is there but cannot be read is set aside byte for byte beside itself, and
    // the user is told where it was kept (a message once the event loop runs). Where it
    // cannot be set aside, saving is refused until reload(), so that it is never overwritten.
    bool loadWaterMarkDataFile();
    // Appends the two built-in watermarks (a picture, then a text).
    void onLoadDefultWaterMarkData();
    // Writes the whole list, replacing the file in one step (through a link, which stays a
    // link); an empty list writes nothing.
    // False (logged, the old file untouched) when the file cannot be written.
    bool saveWaterMarkDataFile();
    // Forgets the list and runs the start-up steps again: the index from the setting, the
    // file or the built-ins, the index reset when out of range (the setting is kept when
    // the file could not be read: it belongs to the list that was set aside).
    void reload();

    // ---- paths ---------------------------------------------------------------------------
    // "<data>/WaterMark/WaterMark.json"; empty when the folder is missing and cannot be made.
    QString getWaterMarkDataSavePath(bool create);
    // "<data>/WaterMark/<base>.<suffix>", or with `fixedName` false the first free of
    // <base>.<suffix>, <base>1.<suffix>, ... Empty when the folder cannot be made. Any thread.
    QString getWaterMarkPngSavePath(bool fixedName, const QString& base, const QString& suffix);
    // Deletes a picture that the store itself made or imported: only a file inside the
    // watermark folder, and never the list file, the rendered picture or the default picture.
    // True when the file was deleted.
    bool removeWaterMarkPngPath(const QString& path);
    // The default picture: its copy in the watermark folder (made from the bundled one when
    // missing), or the bundled one when the copy cannot be made.
    QString defaultPicturePath();
    // The bundled default picture in the resource folder.
    static QString resourcePicturePath();
    // The record's name, or "No Watermark" for an index outside the list.
    QString getWatermarkName(int index) const;
    // Places `popup` beside `rect` (in `anchor`'s coordinates) where it fits on the screen.
    void setPosShowDlg(QWidget* popup, QWidget* anchor, QRect rect);

    // ---- rendering and hand-over ----------------------------------------------------------
    // Before a screen recording: gives the engine the selected watermark placed into a frame
    // of `frameSize`, or clears it. Always exactly one SetWatermark call; false when there
    // is no watermark to draw (`why` as for makeWaterMark).
    bool useWaterMark(const QSize& frameSize, QString* why = nullptr);
    // The rendered picture of the selected watermark (rendered again when the record's
    // look changed since the picture was made) and its placement; empty when none. A
    // watermark with more pixels than WaterMarkRenderer::kMaxPixels is refused before it
    // is rendered. Shows nothing: when a watermark is selected but cannot be drawn (its
    // picture missing, unreadable or too large, its rendered picture not written), `why`
    // (optional) gets the reason as a clause for the user ("its picture ... does not
    // exist."); it is left alone otherwise.
    QString makeWaterMark(const QSize& frameSize, QRect& rect, QString* why = nullptr);
    QRect onCalculationRect(const QRect& frame, QSize imageSize, WaterMarkData* record);
    // Renders a text record's text into its text picture and points the record at it
    // (clears the path on failure).
    void generateTextMarkFile(WaterMarkData* record);
    // A path for <name>.png in the per-user text-picture folder (an old file there is removed).
    QString getTextMarkFilePath(const QString& name);
    // Any thread. Takes ownership of `effect`.
    static QImage applyEffectToImage(const QImage& image, QGraphicsEffect* effect, int extendX, int extendY);
    // Any thread.
    static QImage onApplyOpacityImg(QImage& image, double opacity);
    // Renders record `index` (the defaults when out of range) into "CurWaterMarkImg.png".
    // False when it could not be written (a missing or too large picture writes nothing).
    bool saveCurWaterMarkEditImg(int index);
    // Applies shadow and opacity on this thread and points the record at the result.
    void onApplyImgEditParam(WaterMarkData* record);

    // ---- requests to the rendering worker ----------------------------------------------------
    // Applies the record's shadow and opacity to its picture on a worker; with `save` the
    // result becomes "CurWaterMarkImg.png". Waits in a local event loop, or behind a
    // window-modal progress dialog on `parent`. Returns the edited image (null when there
    // was no effect or the picture failed to load); `saved` (optional) is false when the
    // picture was to be saved and could not be; `writeError` (optional) then tells why when
    // the picture was read but could not be written.
    QImage onApplyImgEditParamThread(WaterMarkData* record, bool save, QWidget* parent, bool* saved = nullptr,
                                     QString* writeError = nullptr);
    // The same, written to `savePath` (empty: "CurWaterMarkImg.png"); returns the path
    // written, empty when there was no effect or nothing could be written.
    QString onApplyImgEditParamThread(WaterMarkData* record, QString savePath);
    // Writes an already edited image as "CurWaterMarkImg.png" behind the progress dialog
    // on `parent`. Nothing without a parent. False when nothing was written.
    bool onSaveImgEditedThread(QImage* image, QWidget* parent);

private:
    WaterMarkDataManage();
    WaterMarkData selectedRecord() const;
    // Sets the list file that could not be read aside, logs and tells the user.
    void keepDamagedList(const QString& path, const QString& damage);
    // Starts the worker and waits for it to finish (see onApplyImgEditParamThread).
    void runWorker(ApplyWMEditThread* worker, QWidget* parent, int loadType);
    QString textPictureFolder();
    // The size of the record's picture once rendered, effects included, worked out without
    // rendering; invalid when it cannot be told.
    static QSizeF renderedSize(const WaterMarkData& record);
    // Why a watermark whose picture would be of `size` is left out, for the user.
    static QString oversized(const QSizeF& size);

    static WaterMarkDataManage* s_instance;
    WaterMarkCache m_cache;
    bool m_bListDamaged = false; // the file of the list could not be read at the last load
    bool m_bListLocked = false;  // ... nor set aside: it is not written over
};
