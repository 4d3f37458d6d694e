#pragma once
// Mixes the sound sources of a screen recording into one stereo track. Each source pushes
// its samples from its own thread; the encoding thread pulls mixed frames. A source that
// falls more than a second behind the others is filled with silence, so a stalled source
// neither holds back the track nor lets the others pile up.

#include "AudioSource.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace recorder {

class AudioMixer {
public:
    explicit AudioMixer(int sources);

    // Adds interleaved stereo samples of source `index`. Source threads.
    void push(int index, const int16_t* samples, int count);
    // Adds `count` samples of silence to source `index`. Source threads.
    void pushSilence(int index, int count);
    // Fills `left` and `right` with `count` mixed samples (-1..1) when every source has
    // them. Encoding thread.
    bool pull(int count, float* left, float* right);

private:
    static const int kMaxLag = AudioSource::kSampleRate; // one second, in samples

    std::mutex m_mutex;
    std::vector<std::deque<int16_t>> m_queues; // interleaved stereo
};

} // namespace recorder
