#pragma once
// Places the samples of a sound source on the recording's timeline. The sound server may
// deliver a source's first samples late (an idle sink wakes up with a long latency); each
// packet carries its capture time, so a missing start is filled with silence, samples from
// before the start are skipped, and samples captured after the stop are left out.

#include <algorithm>
#include <cstdint>

class AudioAlign {
public:
    struct Placement {
        int64_t silence = 0; // samples of silence to add before the packet
        int skip = 0;        // samples to drop from the packet's front
        int keep = 0;        // samples to take after those
    };

    // `stopMicros` is 0 while the recording runs. Times are av_gettime() microseconds; 48 kHz.
    Placement place(int64_t startMicros, int64_t stopMicros, int64_t wallMicros, int count)
    {
        Placement p;
        if (!m_placed) {
            m_placed = true;
            int64_t offset = (wallMicros - startMicros) * 48 / 1000;
            if (stopMicros)
                offset = std::min(offset, (stopMicros - startMicros) * 48 / 1000);
            if (offset >= 0)
                p.silence = offset;
            else
                p.skip = int(std::min<int64_t>(-offset, count));
        }
        int64_t until = count;
        if (stopMicros)
            until = std::clamp<int64_t>((stopMicros - wallMicros) * 48 / 1000, 0, count);
        p.keep = int(std::max<int64_t>(0, until - p.skip));
        return p;
    }

private:
    bool m_placed = false;
};
