#pragma once
// Forwards the end of an audio conversion to the signal hub.

#include "ScAudioRecording.h"

class AudioConvertCallback : public CAudioConvertCallback {
public:
    // Called on an engine thread; emits SignalsTransfer::OnExportCompleted(code == 0).
    void OnComplete(int code) override;
    ~AudioConvertCallback() override = default;
};
