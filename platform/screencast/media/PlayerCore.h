#pragma once
// What the video and the audio player share: the playback engine, the view in the host,
// sound output, the trim range and the status report.
//
// Threads: created, used and destroyed on the GUI thread. The status callback is called on
// the playback thread, never after the destructor has returned.

#include "PlaybackEngine.h"
#include "ScPlayer.h"

#include <QPointer>
#include <functional>
#include <memory>

class QAudioOutput;

namespace media {

class AudioRing;
class PlayerView;

class PlayerCore {
public:
    // `onTrimSet` (optional) hears every range the user confirms or the caller sets.
    PlayerCore(CAVPlayerCallback* callback, std::vector<InputFile> files, PlaybackEngine::GraphMaker graph,
               NSView* host, std::function<void(double, double)> onTrimSet = {});
    ~PlayerCore();

    int beginTrimming();
    int setTrimBegin(double seconds);
    int setTrimEnd(double seconds);
    int seek(double seconds);
    void pause();
    void resume();
    void setControlsStyle(contralsStyle style);
    void sendCommand(const std::string& target, const std::string& command, const std::string& argument);

    // The range an export writes: [begin, end], end negative for "to the end".
    double trimBegin() const { return m_trimBegin; }
    double trimEnd() const { return m_trimEnd; }

    // For the view.
    double duration() const { return m_engine->duration(); }
    double position() const { return m_engine->position(); }
    bool isPaused() const { return m_engine->isPaused(); }
    QImage frame() const { return m_engine->frame(); }
    void trimDragged(double begin, double end, bool beginHandle);
    void trimAccepted();
    void trimCancelled();

private:
    double effectiveEnd() const;
    void startSound(NSView* host);

    CAVPlayerCallback* m_callback;
    std::function<void(double, double)> m_onTrimSet;
    std::unique_ptr<AudioRing> m_sound;
    QAudioOutput* m_output = nullptr;
    std::unique_ptr<PlaybackEngine> m_engine;
    QPointer<PlayerView> m_view;
    double m_trimBegin = 0;
    double m_trimEnd = -1;
    double m_savedBegin = 0;
    double m_savedEnd = -1;
    bool m_trimming = false;
};

} // namespace media
