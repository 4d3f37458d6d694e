#include "PlayerCore.h"
#include "AudioRing.h"
#include "PlayerView.h"

#include "Log.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>

namespace media {

namespace {
const double kEndSlack = 0.001; // a range end may name the duration rounded up by this much
}

PlayerCore::PlayerCore(CAVPlayerCallback* callback, std::vector<InputFile> files, PlaybackEngine::GraphMaker graph,
                       NSView* host, std::function<void(double, double)> onTrimSet)
    : m_callback(callback), m_onTrimSet(std::move(onTrimSet))
{
    if (host)
        startSound(host);
    PlaybackEngine::Listener listener;
    listener.opened = [this](bool ok) {
        m_callback->OnStatueChanged(ok ? AVPlayerItemStatusReadyToPlay : AVPlayerItemStatusFailed);
    };
    listener.frameReady = [this] {
        if (m_view)
            m_view->notifyFrame();
    };
    m_engine = std::make_unique<PlaybackEngine>(std::move(files), std::move(graph), listener, m_sound.get());
    if (host)
        m_view = new PlayerView(host, this);
    m_engine->start();
}

PlayerCore::~PlayerCore()
{
    // The playback thread first: after this no callback and no view notice can come.
    m_engine->stop();
    delete m_view.data();
    if (m_output) {
        m_output->stop();
        delete m_output;
    }
    m_engine.reset();
    m_sound.reset();
}

// Sound goes to the default device when there is one; without it playback runs silent.
void PlayerCore::startSound(NSView*)
{
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (device.isNull())
        return;
    QAudioFormat format;
    format.setSampleRate(kPlaybackRate);
    format.setChannelCount(2);
    format.setSampleSize(16);
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setSampleType(QAudioFormat::SignedInt);
    if (!device.isFormatSupported(format)) {
        Log("Screencast", 1, "player: the sound device takes no 48 kHz stereo; playing silent");
        return;
    }
    m_sound = std::make_unique<AudioRing>();
    m_output = new QAudioOutput(device, format);
    m_output->setBufferSize(kPlaybackRate * kPlaybackFrameBytes / 5); // 200 ms
    m_output->start(m_sound.get());
}

double PlayerCore::effectiveEnd() const
{
    return m_trimEnd >= 0 ? m_trimEnd : duration();
}

int PlayerCore::beginTrimming()
{
    if (!m_view || !m_engine->isOpen())
        return 1;
    if (!m_trimming) {
        m_savedBegin = m_trimBegin;
        m_savedEnd = m_trimEnd;
        m_trimming = true;
    }
    m_view->showTrimBar(m_trimBegin, effectiveEnd(), duration());
    return 0;
}

int PlayerCore::setTrimBegin(double seconds)
{
    if (!m_engine->isOpen() || !(seconds >= 0) || seconds >= effectiveEnd())
        return 1;
    m_trimBegin = seconds;
    if (m_view)
        m_view->setTrimRange(m_trimBegin, effectiveEnd());
    if (m_onTrimSet)
        m_onTrimSet(m_trimBegin, effectiveEnd());
    return 0;
}

int PlayerCore::setTrimEnd(double seconds)
{
    if (!m_engine->isOpen() || !(seconds > m_trimBegin) || seconds > duration() + kEndSlack)
        return 1;
    m_trimEnd = std::min(seconds, duration());
    if (m_view)
        m_view->setTrimRange(m_trimBegin, m_trimEnd);
    if (m_onTrimSet)
        m_onTrimSet(m_trimBegin, m_trimEnd);
    return 0;
}

int PlayerCore::seek(double seconds)
{
    m_engine->seek(seconds);
    return 0;
}

void PlayerCore::pause()
{
    m_engine->pause();
}

void PlayerCore::resume()
{
    m_engine->resume();
}

void PlayerCore::setControlsStyle(contralsStyle style)
{
    if (m_view)
        m_view->setControlsStyle(style);
}

void PlayerCore::sendCommand(const std::string& target, const std::string& command, const std::string& argument)
{
    m_engine->sendCommand(target, command, argument);
}

void PlayerCore::trimDragged(double begin, double end, bool beginHandle)
{
    m_trimBegin = begin;
    m_trimEnd = end;
    m_engine->seek(beginHandle ? begin : end);
}

void PlayerCore::trimAccepted()
{
    m_trimming = false;
    if (m_view)
        m_view->hideTrimBar();
    const double end = effectiveEnd();
    if (m_onTrimSet)
        m_onTrimSet(m_trimBegin, end);
    m_callback->OnTrimOK(m_trimBegin, end);
}

void PlayerCore::trimCancelled()
{
    m_trimming = false;
    m_trimBegin = m_savedBegin;
    m_trimEnd = m_savedEnd;
    if (m_view)
        m_view->hideTrimBar();
    m_callback->OnTrimCancel();
}

} // namespace media
