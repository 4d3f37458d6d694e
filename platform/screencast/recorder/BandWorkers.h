#pragma once
// A few threads that work through the bands of one job together with the thread that hands
// the job out. Owns its threads; they end with it. One thread calls run().

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace recorder {

class BandWorkers {
public:
    // `helpers` threads besides the caller of run().
    explicit BandWorkers(int helpers);
    ~BandWorkers();
    BandWorkers(const BandWorkers&) = delete;
    BandWorkers& operator=(const BandWorkers&) = delete;

    // Calls job(band) once for every band in 0..bands-1, on the helpers and the calling
    // thread at once; returns when every band is done.
    void run(int bands, const std::function<void(int)>& job);

private:
    void helperLoop();
    // Runs bands of the current job until none is left. Called with the lock held.
    void workOff(std::unique_lock<std::mutex>& lock);

    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(int)>* m_job = nullptr;
    int m_bands = 0;
    int m_next = 0;
    int m_finished = 0;
    uint64_t m_generation = 0;
    bool m_quit = false;
};

} // namespace recorder
