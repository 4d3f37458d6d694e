#pragma once
// One background job (an export or a conversion) on its own thread, with a progress
// value and exactly one completion report unless it is cancelled.
//
// start(), cancel() and the destructor are called by the owning object's thread;
// progress() from any thread; the body runs on the job's thread.

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace media {

class WorkerJob {
public:
    // The work; returns true on success. It polls cancelRequested() (or hands the flag to a
    // pipeline) and reports its share done with setProgress().
    using Body = std::function<bool(WorkerJob& job)>;
    // The report; runs on the job's thread, once, unless the job was cancelled first.
    using Done = std::function<void(bool ok)>;

    WorkerJob() = default;
    ~WorkerJob() { cancel(); }
    WorkerJob(const WorkerJob&) = delete;
    WorkerJob& operator=(const WorkerJob&) = delete;

    // Starts the body; false when a job still runs.
    bool start(Body body, Done done);
    // Stops the running job and waits for its thread; no report follows once this returns.
    // Does nothing when no job runs.
    void cancel();
    bool running() const { return m_running.load(); }

    const std::atomic<bool>& cancelFlag() const { return m_cancel; }
    bool cancelRequested() const { return m_cancel.load(); }
    // Raises the progress to `value` (0 to 1); it never goes down.
    void setProgress(double value);
    double progress() const { return m_progress.load(); }
    void setBytes(long long bytes) { m_bytes = bytes; }
    long long bytes() const { return m_bytes.load(); }

private:
    std::thread m_thread;
    std::mutex m_reportMutex;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
    std::atomic<double> m_progress{0};
    std::atomic<long long> m_bytes{0};
};

} // namespace media
