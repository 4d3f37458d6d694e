#pragma once
// A fixed-capacity queue between two pipeline stages. The producer never waits: when the
// queue is full, tryPush refuses the item and the producer counts it as dropped, so a slow
// consumer never stalls capture.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace recorder {

template <class T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity) : m_capacity(capacity) {}

    // Adds the item unless the queue is full or closed. Producer thread.
    bool tryPush(T item)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed || m_items.size() >= m_capacity)
                return false;
            m_items.push_back(std::move(item));
        }
        m_ready.notify_one();
        return true;
    }

    // Waits up to `timeout` for an item. Returns false when none came (timeout, or closed
    // and empty). Consumer thread.
    bool pop(T& item, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [this] { return !m_items.empty() || m_closed; }))
            return false;
        if (m_items.empty())
            return false;
        item = std::move(m_items.front());
        m_items.pop_front();
        return true;
    }

    // No more items will come; a waiting consumer wakes up. Any thread.
    void close()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closed = true;
        }
        m_ready.notify_all();
    }

    // Closed and drained. Any thread.
    bool finished()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_closed && m_items.empty();
    }

private:
    const size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<T> m_items;
    bool m_closed = false;
};

} // namespace recorder
