#pragma once
// Places the first samples of a sound source on the recording's timeline. The sound
// server may deliver a source's first samples late (an idle sink runs with a long
// latency); the samples carry their capture time, so the missing start is filled with
// silence and samples from before the start are skipped.

#include <cstdint>

class AudioAlign {
public:
    // Returns the samples of silence to add before these samples (>= 0), and sets `skip`
    // to the samples to drop from their front; both 0 after the first call.
    int64_t place(int64_t startMicros, int64_t wallMicros, int count, int* skip)
    {
        *skip = 0;
        if (m_placed)
            return 0;
        m_placed = true;
        const int64_t offset = (wallMicros - startMicros) * 48 / 1000;
        if (offset >= 0)
            return offset;
        *skip = int(-offset < count ? -offset : count);
        return 0;
    }

private:
    bool m_placed = false;
};
