#pragma once
// Forwards a player's status and trim reports to the signal hub.

#include "ScPlayer.h"

class AVPlayerStatusCallback : public CAVPlayerCallback {
public:
    // Called on an engine thread; emits SignalsTransfer::OnStatueChanged(status).
    void OnStatueChanged(AVPlayerItemStatus status) override;
    // Emits SignalsTransfer::OnTrimCancel().
    void OnTrimCancel() override;
    // Emits SignalsTransfer::OnTrimOK(begin, end).
    void OnTrimOK(double begin, double end) override;
    ~AVPlayerStatusCallback() override = default;
};
