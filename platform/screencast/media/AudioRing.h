#pragma once
// Sound on its way to the sound device: the playback thread appends PCM (16-bit stereo,
// 48 kHz), Qt Multimedia's QAudioOutput pulls it on the GUI thread. When nothing is
// queued it reads silence, so the device never stalls. write() and clear() may be called
// from any thread.

#include <QByteArray>
#include <QIODevice>
#include <mutex>

namespace media {

// The sound players play: signed 16-bit stereo at 48 kHz.
constexpr int kPlaybackRate = 48000;
constexpr int kPlaybackFrameBytes = 4; // one sample of each channel

class AudioRing : public QIODevice {
    Q_OBJECT
public:
    explicit AudioRing(QObject* parent = nullptr);
    void append(const char* data, qint64 size);
    void clear();
    qint64 queued() const;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    mutable std::mutex m_mutex;
    QByteArray m_buffer;
};

} // namespace media
