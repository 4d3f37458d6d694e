#pragma once
// A short-lived worker that applies a watermark's shadow and opacity to its picture, or
// writes an already edited picture, away from the GUI thread. One worker per request:
// configure it, start it, wait for QThread::finished, read the results, delete it.
//
// The worker keeps its own copies of the settings and of the image to save, so the caller
// may go on editing while it runs. It writes only a temporary file beside the save path;
// the request that started it moves that file into place (see WaterMarkCache).

#include "watermark/ShadowParam.h"

#include <QImage>
#include <QString>
#include <QThread>

class ApplyWMEditThread : public QThread {
    Q_OBJECT
public:
    explicit ApplyWMEditThread(QObject* parent = nullptr);

    // Before start(), on the starting thread: the source picture, the shadow (copied), the
    // opacity (0..1) and whether the result is written.
    void onSetParam(const QString& picturePath, ShadowParam* shadow, double opacity, bool save);
    // Before start(): switches to save mode, writing this image (copied) as it is.
    void onSetSaveImgEdited(QImage* image);
    // Before start(): where the result goes; empty means "CurWaterMarkImg.png".
    void onSetSaveImgEditedPath(const QString& path);

    // After finished: the edited image (null when the picture could not be loaded, or the
    // picture or its result has more pixels than a watermark may have).
    QImage* getImgEdited() { return &m_imgEdited; }
    // After finished: the path the result is meant for; empty when nothing was to be written.
    QString getSavedImgPath() const { return m_strSavePath; }
    // After finished: the temporary file holding the result; empty when writing failed or
    // nothing was written.
    QString getTempImgPath() const { return m_strTempPath; }
    // After finished: why the result could not be written (empty when it was, or when there
    // was nothing to write).
    QString getWriteError() const { return m_strWriteError; }

protected:
    // Worker thread.
    void run() override;

private:
    QString m_strPicturePath;
    ShadowParam m_shadow;
    double m_dOpacity = 1.0;
    QImage m_imgEdited;
    bool m_bSave = false;
    QString m_strSavePath;
    QString m_strTempPath;
    QString m_strWriteError;
    bool m_bSaveMode = false;
    QImage m_imgToSave;
};
