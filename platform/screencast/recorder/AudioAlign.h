#pragma once
// Places the samples of a sound source on the recording's timeline. The sound server may
// deliver a source's first samples late (an idle sink wakes up with a long latency); each
// packet carries its capture time, so a missing start is filled with silence, samples from
// before the start are skipped, and samples captured after the stop are left out. One per
// source, used on that source's thread.

#include "AudioSource.h"
#include "PauseClock.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>

namespace recorder {

class AudioAlign {
public:
    struct Placement {
        int64_t silence = 0; // samples of silence to add before the packet
        int skip = 0;        // samples to drop from the packet's front
        int keep = 0;        // samples to take after those
    };

    // `stopMicros` is 0 while the recording runs. Times are av_gettime() microseconds; counts
    // are samples at AudioSource::kSampleRate.
    Placement place(int64_t startMicros, int64_t stopMicros, int64_t wallMicros, int count)
    {
        Placement p;
        if (!m_placed) {
            m_placed = true;
            int64_t offset = samplesIn(wallMicros - startMicros);
            if (stopMicros)
                offset = std::min(offset, samplesIn(stopMicros - startMicros));
            if (offset >= 0)
                p.silence = offset;
            else
                p.skip = int(std::min<int64_t>(-offset, count));
        }
        int64_t until = count;
        if (stopMicros)
            until = std::clamp<int64_t>(samplesIn(stopMicros - wallMicros), 0, count);
        p.keep = int(std::max<int64_t>(0, until - p.skip));
        return p;
    }

    // A source's sink that places every packet on a recording's timeline and hands on what
    // it adds: first `silence` samples of silence, then `samples`. Packets that arrive before
    // the start (`startMicros` still 0: the source flows ahead of it) or while paused are
    // dropped; the timeline starts at `startMicros` plus the time spent paused and ends at
    // `stopMicros` (0 while running). The clock and the times outlive the sink.
    static AudioSource::Sink timelineSink(const PauseClock& clock, const std::atomic<int64_t>& startMicros,
                                          const std::atomic<int64_t>& stopMicros,
                                          std::function<void(int count)> silence,
                                          std::function<void(const int16_t* samples, int count)> samples)
    {
        return [&clock, &startMicros, &stopMicros, silence = std::move(silence), samples = std::move(samples),
                align = AudioAlign()](const int16_t* data, int count, int64_t wallMicros) mutable {
            const int64_t start = startMicros;
            if (!start || clock.paused)
                return;
            const Placement p = align.place(start + clock.pausedMicros, stopMicros, wallMicros, count);
            if (p.silence > 0)
                silence(int(p.silence));
            if (p.keep > 0)
                samples(data + p.skip * AudioSource::kChannels, p.keep);
        };
    }

private:
    static int64_t samplesIn(int64_t micros) { return micros * AudioSource::kSampleRate / 1000000; }

    bool m_placed = false;
};

} // namespace recorder
