#pragma once
// The engine's last audio recording: its track files, volumes and confirmed trim range.
// Thread-safe.

#include <string>

namespace media {

struct AudioRecording {
    std::string tracks[2];         // 0 system sound, 1 microphone; empty when not recorded
    float volumes[2] = {1.0f, 1.0f};
    double trimBegin = 0;
    double trimEnd = -1;           // negative: to the end
    bool empty() const { return tracks[0].empty() && tracks[1].empty(); }
};

AudioRecording lastAudioRecording();
void setLastAudioVolume(int track, float volume);
void setLastAudioTrim(double begin, double end);

} // namespace media
