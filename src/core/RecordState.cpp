#include "RecordState.h"

#include "RecordParameter.h"

namespace {
// The recording mark lasts while the file is being finished, so that nothing new starts
// before the preview takes over.
bool marksRecording(RecordState::State state)
{
    return state == RecordState::Recording || state == RecordState::Paused || state == RecordState::Finishing;
}
} // namespace

RecordState* RecordState::instance()
{
    static RecordState* state = new RecordState();
    return state;
}

SysBarState RecordState::barState() const
{
    switch (m_state) {
    case Recording: return SBS_RECORDING;
    case Paused: return m_source == Webcam ? SBS_PAUSED2 : SBS_PAUSED;
    // The webcam recorder's preview keeps the status item's recording actions away.
    case Preview: return m_source == Webcam ? SBS_PAUSED : SBS_NORMAL;
    default: return SBS_NORMAL;
    }
}

bool RecordState::ask()
{
    if (m_state != Idle)
        return false;
    moveTo(Asking);
    return true;
}

void RecordState::stopAsking()
{
    if (m_state == Asking)
        moveTo(Idle);
}

void RecordState::countDown(bool shown)
{
    if (m_state != Idle && m_state != Asking)
        return;
    m_source = Screen;
    if (shown)
        m_bHotKeysEnabled = false;
    moveTo(Countdown);
}

void RecordState::startRecording(Source source)
{
    m_source = source;
    m_bHotKeysEnabled = true;
    // A pause ends with the recording that had it.
    RecordParameter::instance()->m_bPause = false;
    moveTo(Recording);
}

void RecordState::pause()
{
    if (m_state == Recording)
        moveTo(Paused);
}

void RecordState::resume()
{
    if (m_state == Paused)
        moveTo(Recording);
}

void RecordState::finish()
{
    if (m_state == Recording || m_state == Paused)
        moveTo(Finishing);
}

void RecordState::openPreview()
{
    ++m_nPreviews;
    RecordParameter::instance()->m_bPreview = true;
    if (m_state == Idle || m_state == Finishing)
        moveTo(Preview);
}

void RecordState::closePreview()
{
    if (m_nPreviews > 0)
        --m_nPreviews;
    if (m_nPreviews > 0)
        return;
    RecordParameter::instance()->m_bPreview = false;
    if (m_state == Preview)
        moveTo(Idle);
}

void RecordState::end()
{
    m_bHotKeysEnabled = true;
    if (m_state != Idle && m_state != Preview)
        moveTo(Idle);
}

void RecordState::setHotKeysEnabled(bool enabled) { m_bHotKeysEnabled = enabled; }

void RecordState::allowStop(bool allowed)
{
    if (allowed == m_bStopAllowed || (!allowed && m_state != Recording && m_state != Paused))
        return;
    m_bStopAllowed = allowed;
    emit stateChanged(m_state);
}

void RecordState::moveTo(State state)
{
    const State old = m_state;
    m_state = state;
    if (state == Idle) {
        m_source = Screen;
        m_bStopAllowed = true;
    }
    // Only the marks this step changes are written: a mark set elsewhere stays.
    RecordParameter* parameter = RecordParameter::instance();
    if (marksRecording(old) != marksRecording(state))
        parameter->m_bRecording = marksRecording(state);
    if ((old == Paused) != (state == Paused))
        parameter->m_bPause = state == Paused;
    if (old != state)
        emit stateChanged(state);
}
