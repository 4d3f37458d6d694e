#include "AudioMixer.h"

#include <algorithm>

namespace recorder {

namespace {
const size_t kChannels = AudioSource::kChannels; // interleaved: left, right
const float kFullScale = 32768.f;                 // of a 16-bit sample
} // namespace

AudioMixer::AudioMixer(int sources) : m_queues(size_t(std::max(sources, 1))) {}

void AudioMixer::pushSilence(int index, int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<int16_t>& queue = m_queues[size_t(index)];
    queue.insert(queue.end(), size_t(count) * kChannels, int16_t(0));
}

void AudioMixer::push(int index, const int16_t* samples, int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<int16_t>& queue = m_queues[size_t(index)];
    queue.insert(queue.end(), samples, samples + size_t(count) * kChannels);
    // Fill sources that fell far behind with silence.
    size_t longest = 0;
    for (const auto& q : m_queues)
        longest = std::max(longest, q.size());
    for (auto& q : m_queues)
        if (longest - q.size() > size_t(kMaxLag) * kChannels)
            q.resize(longest - size_t(kMaxLag) * kChannels, 0);
}

bool AudioMixer::pull(int count, float* left, float* right)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t needed = size_t(count) * kChannels;
    for (const auto& q : m_queues)
        if (q.size() < needed)
            return false;
    std::fill(left, left + count, 0.f);
    std::fill(right, right + count, 0.f);
    for (auto& q : m_queues) {
        for (int i = 0; i < count; ++i) {
            left[i] += q[size_t(i) * kChannels] / kFullScale;
            right[i] += q[size_t(i) * kChannels + 1] / kFullScale;
        }
        q.erase(q.begin(), q.begin() + ptrdiff_t(needed));
    }
    for (int i = 0; i < count; ++i) {
        left[i] = std::clamp(left[i], -1.f, 1.f);
        right[i] = std::clamp(right[i], -1.f, 1.f);
    }
    return true;
}

} // namespace recorder
