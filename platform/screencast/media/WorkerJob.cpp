#include "WorkerJob.h"

namespace media {

bool WorkerJob::start(Body body, Done done)
{
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_cancel = false;
    m_progress = 0;
    m_bytes = 0;
    m_running = true;
    m_thread = std::thread([this, body = std::move(body), done = std::move(done)] {
        const bool ok = body(*this);
        std::lock_guard<std::mutex> lock(m_reportMutex);
        if (!m_cancel) {
            if (ok)
                m_progress = 1.0;
            if (done)
                done(ok);
        }
        m_running = false;
    });
    return true;
}

void WorkerJob::cancel()
{
    {
        // Waits for a report in progress; after this no report starts.
        std::lock_guard<std::mutex> lock(m_reportMutex);
        if (m_running)
            m_cancel = true;
    }
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
}

void WorkerJob::setProgress(double value)
{
    if (value < 0)
        value = 0;
    if (value > 1)
        value = 1;
    double current = m_progress.load();
    while (value > current && !m_progress.compare_exchange_weak(current, value)) {
    }
}

} // namespace media
