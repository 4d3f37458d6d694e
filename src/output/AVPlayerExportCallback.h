#pragma once
// Forwards the end of a video export to the signal hub.

#include "ScPlayer.h"

class AVPlayerExportCallback : public CAVPlayerExportCallback {
public:
    // Called on an engine thread; emits SignalsTransfer::OnExportCompleted(ok != 0).
    void OnExportCompleted(signed char ok) override;
    ~AVPlayerExportCallback() override = default;
};
