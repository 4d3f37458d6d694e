#pragma once
// The paused time of a recording, so that pauses leave no gap in its timeline.
// pause() and resume() are called from the controlling thread; the fields are read anywhere.

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace recorder {

struct PauseClock {
    std::atomic<bool> paused{false};
    std::atomic<int64_t> pausedMicros{0}; // total paused time before the current pause
    std::atomic<int64_t> pauseBegan{0};

    void pause(int64_t nowMicros)
    {
        if (paused)
            return;
        pauseBegan = nowMicros;
        paused = true;
    }
    void resume(int64_t nowMicros)
    {
        if (!paused)
            return;
        pausedMicros += nowMicros - pauseBegan;
        paused = false;
    }
    // The recorded time at `nowMicros` of a recording that began at `startMicros`: the wall
    // time less the pauses before the current one.
    int64_t recordedMicros(int64_t startMicros, int64_t nowMicros) const { return nowMicros - startMicros - pausedMicros; }
    // Seconds recorded by `wallMicros`, standing still during a pause.
    double recordedSeconds(int64_t startMicros, int64_t wallMicros) const
    {
        const int64_t now = paused ? pauseBegan.load() : wallMicros;
        return std::max<int64_t>(0, recordedMicros(startMicros, now)) / 1e6;
    }
};

} // namespace recorder
