#include "BandWorkers.h"

namespace recorder {

BandWorkers::BandWorkers(int helpers)
{
    for (int i = 0; i < helpers; ++i)
        m_threads.emplace_back(&BandWorkers::helperLoop, this);
}

BandWorkers::~BandWorkers()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void BandWorkers::run(int bands, const std::function<void(int)>& job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_job = &job;
    m_bands = bands;
    m_next = 0;
    m_finished = 0;
    ++m_generation;
    if (!m_threads.empty() && bands > 1)
        m_wake.notify_all();
    workOff(lock);
    m_done.wait(lock, [this] { return m_finished == m_bands; });
    m_job = nullptr;
}

void BandWorkers::workOff(std::unique_lock<std::mutex>& lock)
{
    while (m_job && m_next < m_bands) {
        const int band = m_next++;
        const std::function<void(int)>& job = *m_job;
        lock.unlock();
        job(band);
        lock.lock();
        if (++m_finished == m_bands)
            m_done.notify_all();
    }
}

void BandWorkers::helperLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    uint64_t seen = m_generation;
    for (;;) {
        m_wake.wait(lock, [&] { return m_quit || m_generation != seen; });
        if (m_quit)
            return;
        seen = m_generation;
        workOff(lock);
    }
}

} // namespace recorder
