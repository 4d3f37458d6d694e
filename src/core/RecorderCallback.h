#pragma once
// The recorder callback: turns the engine's recorder reports into signals of the signal
// hub. It never touches a widget; receivers that do connect queued.

#include "ScRecorder.h"

class RecorderCallback : public CRecoderCallback {
public:
    // Emits SignalsTransfer::recordError(code). Called on an engine thread.
    void OnRecordError(int code) override;
    // Emits SignalsTransfer::recordRectChanged with the area as a QRect. Called on an engine thread.
    void OnRecordRectChanged(const CRect& rect) override;
};
