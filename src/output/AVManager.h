#pragma once
// The private part of AVClipManager: the engine objects and the callbacks they report to.
// GUI thread only.

#include "AVPlayerExportCallback.h"
#include "AVPlayerStatusCallback.h"
#include "AudioConvertCallback.h"

#include "ScAudioRecording.h"
#include "ScPlayer.h"

class AVManager {
public:
    AVManager();
    // Releases the video player, the audio player and the converter, in this order, then
    // deletes the callbacks.
    ~AVManager();
    AVManager(const AVManager&) = delete;
    AVManager& operator=(const AVManager&) = delete;

    AVPlayerExportCallback* m_pExportCallback;
    AVPlayerStatusCallback* m_pStatusCallback;
    AudioConvertCallback* m_pConvertCallback;
    CBasePtr<CAVPlayerObject> m_videoPlayer;
    CBasePtr<CAudioPlayerObject> m_audioPlayer;
    CBasePtr<CAudioConvertObject> m_audioConverter;
};
