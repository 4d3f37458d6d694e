#pragma once
// The paused time of a recording, so that pauses leave no gap in its timeline.
// pause() and resume() are called from the controlling thread; the fields are read anywhere.

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
};

} // namespace recorder
