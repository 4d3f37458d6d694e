#pragma once
// A queue between two pipeline stages bounded in items and in bytes. The producer never
// waits: when the queue is full, tryPush refuses the item and the producer counts it as
// dropped, so a slow consumer never stalls capture.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

namespace recorder {

template <class T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity, size_t maxBytes = SIZE_MAX) : m_capacity(capacity), m_maxBytes(maxBytes) {}

    // Adds the item, which holds `bytes`, unless the queue is closed or would hold more
    // items or bytes than allowed. An empty queue takes any one item. Producer thread.
    bool tryPush(T item, size_t bytes = 0)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed || m_items.size() >= m_capacity
                || (!m_items.empty() && bytes > m_maxBytes - std::min(m_bytes, m_maxBytes)))
                return false;
            m_items.emplace_back(std::move(item), bytes);
            m_bytes += bytes;
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
        item = std::move(m_items.front().first);
        m_bytes -= m_items.front().second;
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
    const size_t m_maxBytes;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::pair<T, size_t>> m_items;
    size_t m_bytes = 0;
    bool m_closed = false;
};

} // namespace recorder
