#pragma once
// The webcam options: which camera is used, where the webcam picture is placed on a screen
// recording, and a photo of the chosen camera, whose live picture the dialog shows. Closing
// with changes asks whether to save them. Owns its form; the camera facade is released when
// the camera changes and when the dialog goes, unless a webcam recording runs. GUI thread.

#include "OvDialogBase.h"

#include <memory>

namespace Ui {
class DlgWebcamOptions;
}

class DlgWebcamOptions : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgWebcamOptions(QWidget* parent = nullptr);
    ~DlgWebcamOptions() override;

public slots:
    // Stores the position and the camera choice, then closes accepted.
    void accept() override;
    void reject() override;
    // Takes a photo of the chosen camera into the screenshot folder.
    void onSnapshot();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void initCamera();
    void onChangeDevice();
    // The camera index the model holds, reset to 0 when it names no camera.
    int checkedCameraIndex() const;
    bool isChanged() const;

    std::unique_ptr<Ui::DlgWebcamOptions> ui;
};
