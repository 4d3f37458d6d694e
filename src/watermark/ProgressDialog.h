#pragma once
// A small window-modal "please wait" dialog without a close button, shown while a
// watermark picture is rendered or written. It closes through accept() when the work ends.
// GUI thread.

#include "OvDialogBase.h"

#include <QMovie>
#include <memory>

namespace Ui {
class ProgressDialog;
}

class ProgressDialog : public OvDialogBase {
    Q_OBJECT
    // The animation file, set by the skin's style sheet; a relative path is taken inside
    // the resource folder.
    Q_PROPERTY(QString moviePath READ moviePath WRITE setMoviePath)
public:
    explicit ProgressDialog(QWidget* parent = nullptr);
    ~ProgressDialog() override;

    // What the dialog waits for, and so what it says.
    enum LoadType { LoadPictures = 0, LoadManagement = 1, SaveWatermark = 2 };
    // "Loading pictures...", "Loading watermark management...", "Creating and saving
    // watermark..."; a value that is no LoadType leaves the message as it is.
    void setLoadType(int type);
    QString messageText() const;
    void setMessageText(const QString& text);

    QString moviePath() const { return m_strMoviePath; }
    void setMoviePath(const QString& path) { m_strMoviePath = path; }
    // True when the animation plays.
    bool isAnimated() const { return m_movie.state() == QMovie::Running; }

public slots:
    // The user cannot dismiss the dialog (Escape, the window manager): it ends only when the
    // work it waits for ends, through accept().
    void reject() override {}

private:
    void startAnimation();

    std::unique_ptr<Ui::ProgressDialog> ui;
    QMovie m_movie;
    QString m_strMoviePath;
};
