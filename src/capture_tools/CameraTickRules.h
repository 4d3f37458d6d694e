#pragma once
// The rules the webcam recorder applies on each tick of a camera-only recording: when Stop
// becomes available, when too little free space ends the recording (at once, even before
// Stop is available, so that the file can still be finished), and when a scheduled task or
// the timed stop ends it (the task's rule replaces the timer's). The planned ends (task,
// timed stop) also say ahead of time at which recorded second they come, so that the window
// can stop on time between two ticks.
// A plain value class without windows or timers; GUI thread.

#include <QtGlobal>
#include <functional>

class CameraTickRules {
public:
    enum Action {
        Continue = 0,
        StopLowSpace, // the temporary folder's volume is nearly full
        StopTask,     // the scheduled task's recording is complete
        StopTimer,    // the timed stop was reached
    };

    // Stop is offered from this many recorded seconds on.
    static constexpr qint64 kStopAfterSeconds = 4;
    // Free space of at most this many bytes (less than 4 GiB) ends the recording.
    static constexpr qint64 kMinFreeBytes = 4294967295LL;
    // The free space is measured in the recorded seconds 1, 6, 11, ...
    static constexpr qint64 kFreeSpaceEvery = 5;

    struct Settings {
        // A scheduled task records: its rule decides instead of the timer's.
        bool tasking = false;
        std::function<bool(qint64 seconds)> taskStop;
        bool timerEnabled = false;
        std::function<bool(qint64 seconds)> timerStop;
    };

    // The rules of the settings model and the task coordinator as they are now.
    static Settings fromParameter();

    // `freeSpace` answers the free bytes of the temporary root, or -1 when unknown.
    CameraTickRules(const Settings& settings, std::function<qint64()> freeSpace);

    struct Result {
        bool stopEnabled = false;
        Action action = Continue;
    };
    // One tick after `seconds` whole recorded seconds (pauses excluded).
    Result tick(qint64 seconds);
    // The planned end (task or timed stop) once `seconds` are recorded, or Continue; none
    // before Stop is offered.
    Action plannedStop(qint64 seconds) const;
    // The recorded time, in whole seconds after `recorded` and a little ahead of it, at which
    // a planned end comes; -1 when none comes by then.
    qint64 plannedStopAfter(double recorded) const;

    // The free space last measured; 0 before the first measurement.
    qint64 lastFreeSpace() const { return m_nFreeSpace; }

private:
    Settings m_settings;
    std::function<qint64()> m_freeSpace;
    qint64 m_nFreeSpace = 0;
};
