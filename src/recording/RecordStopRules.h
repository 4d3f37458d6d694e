#pragma once
// The rules that end a running recording by themselves, checked once a second by the
// control bar: the record length, the timed stop (or a scheduled task's stop), the size
// limit of a GIF recording, the excluded program starting and the free space of the
// temporary folder's volume (asked every fifth check). The planned ends (length, timed stop,
// task) also say ahead of time at which recorded second they come, so that the bar can stop
// on time between two checks.
// A plain value class without windows or timers; GUI thread.

#include <QString>
#include <QtGlobal>
#include <functional>

class RecordStopRules {
public:
    enum StopReason {
        NoStop = 0,
        StopRecordLength, // the record length of the settings was reached
        StopTimer,        // the timed stop of the settings was reached
        StopTask,         // the scheduled task's recording is complete
        StopDiskFull,     // the volume of the recording has too little free space left
        StopGifSize,      // a GIF recording reached its size limit
        StopExcludedProgram, // the program that must not be recorded started
    };

    // Free space below this ends the recording, so that it can still be finished and saved.
    static constexpr qint64 kMinFreeBytes = 100LL * 1024 * 1024;
    // A GIF recording stops at this file size, the limit Preferences tells of when GIF is chosen.
    static constexpr qint64 kGifSizeLimit = 400LL * 1024 * 1024;
    // The free space is asked on every this many checks.
    static constexpr int kFreeSpaceEvery = 5;
    // How many whole seconds ahead firstSecondAfter() looks: more than one check's interval,
    // so that a check that comes late still finds the next planned end.
    static constexpr int kLookAheadSeconds = 2;

    struct Settings {
        bool lengthEnabled = false;
        qint64 lengthSeconds = 0;
        bool timerEnabled = false;
        qint64 timerSeconds = 0;
        bool gif = false;
        // A scheduled task records: its own rule replaces the timed stop.
        bool tasking = false;
        std::function<bool(qint64 seconds)> taskStop;
        // The name of the excluded program when it runs now, else empty; none: no such rule.
        std::function<QString()> excludedRunning;
    };

    // The rules of the settings model for the recording about to start.
    static Settings fromParameter();

    // `freeSpace` answers the free bytes of the recording's volume, or -1 when unknown.
    explicit RecordStopRules(const Settings& settings, std::function<qint64()> freeSpace);

    // One check, once a second: `seconds` recorded so far (pauses excluded) and the bytes
    // written so far. Returns the first rule that ends the recording, or NoStop.
    StopReason check(qint64 seconds, qint64 fileSize);
    // The planned end (length, timed stop or task) once `seconds` are recorded, or NoStop.
    StopReason plannedStop(qint64 seconds) const;
    // The recorded time, in whole seconds after `recorded` and at most kLookAheadSeconds
    // ahead of it, at which a planned end comes; -1 when none comes by then.
    qint64 plannedStopAfter(double recorded) const;
    // The first whole second after `recorded`, at most kLookAheadSeconds ahead of it, at
    // which `ends` holds; -1 when it holds at none by then. Shared with the webcam recorder.
    static qint64 firstSecondAfter(double recorded, const std::function<bool(qint64 seconds)>& ends);
    // Milliseconds from `recorded` seconds to the whole second `second`, rounded up: a stop
    // timed with it never comes before that second is recorded.
    static int millisecondsUntil(qint64 second, double recorded);

    // How many times the free space was asked (for the every-fifth rule).
    int freeSpaceQueries() const { return m_nFreeSpaceQueries; }
    // The excluded program's name once it stopped the recording.
    QString excludedProgram() const { return m_strExcluded; }

    // The message shown to the user for a stop that is not a planned end (empty otherwise);
    // `program` names the excluded program.
    static QString messageFor(StopReason reason, const QString& program = QString());

private:
    Settings m_settings;
    std::function<qint64()> m_freeSpace;
    int m_nChecks = 0;
    int m_nFreeSpaceQueries = 0;
    QString m_strExcluded;
};
