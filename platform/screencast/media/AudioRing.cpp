#include "AudioRing.h"

#include <cstring>

namespace media {

AudioRing::AudioRing(QObject* parent) : QIODevice(parent)
{
    open(QIODevice::ReadOnly);
}

void AudioRing::append(const char* data, qint64 size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Keep at most two seconds; older sound is late anyway.
    const int limit = kPlaybackRate * kPlaybackFrameBytes * 2;
    m_buffer.append(data, int(size));
    if (m_buffer.size() > limit)
        m_buffer.remove(0, m_buffer.size() - limit);
}

void AudioRing::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_buffer.clear();
}

qint64 AudioRing::queued() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_buffer.size();
}

qint64 AudioRing::bytesAvailable() const
{
    return 4096 + QIODevice::bytesAvailable();
}

qint64 AudioRing::readData(char* data, qint64 maxSize)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    maxSize -= maxSize % kPlaybackFrameBytes; // whole frames only
    const qint64 taken = qMin<qint64>(maxSize, m_buffer.size());
    memcpy(data, m_buffer.constData(), size_t(taken));
    m_buffer.remove(0, int(taken));
    memset(data + taken, 0, size_t(maxSize - taken));
    return maxSize;
}

qint64 AudioRing::writeData(const char*, qint64)
{
    return -1;
}

} // namespace media
