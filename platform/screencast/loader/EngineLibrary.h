#pragma once
// The engine library (libscreencastengine.so beside this library), loaded once: on a worker
// from startLoading(), or by the first call that needs it, which then waits for the load.
// Any thread. When the library cannot be loaded, entries() is null for good and the reason is
// logged once; the callers then answer as the engine does for a failure.
// The load sets the log file asked for before it and initialises the engine, before any
// other call reaches the engine.

#include "ScEngineEntries.h"

#include <future>
#include <mutex>
#include <string>

class EngineLibrary {
public:
    static EngineLibrary& instance();

    // Starts loading on a worker unless a load has started; returns at once.
    void startLoading();
    // The engine's entry points; waits for the load. Null when the engine cannot be loaded.
    const ScEngineEntries* entries();
    // The engine's entry points when the load has ended, else null (never waits).
    const ScEngineEntries* entriesIfLoaded();

    // Sets the engine's log file: at once when loaded, else by the load.
    void setLogFile(const char* path);
    // The engine's log file, or the one the load will set.
    const char* logFile();

private:
    EngineLibrary() = default;
    const ScEngineEntries* load();

    std::mutex m_mutex;
    std::shared_future<const ScEngineEntries*> m_load;
    const ScEngineEntries* m_loaded = nullptr; // set (under m_mutex) once pending work is applied
    bool m_done = false;
    bool m_logFilePending = false;
    std::string m_logFile;
};
