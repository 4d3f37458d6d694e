#pragma once
// A frameless window laid over the selected screen area, holding one placement editor
// frame. It closes on the frame's OK button or Escape; the placement is already written
// into the record by then, so the result code means nothing. GUI thread; owns its form.

#include "OvDialogBase.h"

#include <memory>

class WatermarkEditorFrame;

namespace Ui {
class DlgScreenEditWaterMark;
}

class DlgScreenEditWaterMark : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgScreenEditWaterMark(QWidget* parent = nullptr);
    ~DlgScreenEditWaterMark() override;

    WatermarkEditorFrame* getScreenEditWaterMarkFrame() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::DlgScreenEditWaterMark> ui;
};
