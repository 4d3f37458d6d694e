#pragma once
// What is recording now: idle, a record click asking its questions, the countdown, the
// recording (or paused), its file being finished, the preview. The one writer of the shared
// recording marks (RecordParameter's m_bRecording, m_bPause, m_bPreview), which it mirrors,
// and of whether global hotkeys are served. The status item and the float panel follow its
// stateChanged signal. Never released. GUI thread; a step that does not fit the current
// state changes nothing.

#include "RecordTypes.h"

#include <QObject>

class RecordState : public QObject {
    Q_OBJECT
public:
    enum State { Idle, Asking, Countdown, Recording, Paused, Finishing, Preview };
    enum Source { Screen, Webcam };

    static RecordState* instance();

    State state() const { return m_state; }
    Source source() const { return m_source; }
    // The picture of the status item and the float panel for the current state.
    SysBarState barState() const;
    bool hotKeysEnabled() const { return m_bHotKeysEnabled; }
    // The running recording may be stopped now (a recorder may hold its stop back for its
    // first seconds); true again once nothing records.
    bool stopAllowed() const { return m_bStopAllowed; }

    // Idle -> asking; false (and nothing changes) when something else is under way.
    bool ask();
    // Asking -> idle: the record click's questions stopped the road.
    void stopAsking();
    // Idle or asking -> countdown; no hotkeys are served while a countdown is shown.
    void countDown(bool shown);
    // -> recording from `source`, not paused; hotkeys are served again.
    void startRecording(Source source);
    void pause();
    void resume();
    // Recording or paused -> finishing: the file is being written; the recording mark stays
    // until the preview's is set.
    void finish();
    // A preview (or clip) dialog opens / closes. An idle or finishing state becomes the
    // preview, which ends when the last such dialog closes.
    void openPreview();
    void closePreview();
    // The road ended, whatever step it was at: idle (a preview still open stays) and hotkeys
    // are served.
    void end();
    // Hotkeys are held back (false) while a dialog of ours has its own hotkey rows.
    void setHotKeysEnabled(bool enabled);
    // The running recording may (not) be stopped yet; the followers are told.
    void allowStop(bool allowed);

signals:
    void stateChanged(RecordState::State state);

private:
    RecordState() = default;
    void moveTo(State state);

    State m_state = Idle;
    Source m_source = Screen;
    int m_nPreviews = 0;
    bool m_bHotKeysEnabled = true;
    bool m_bStopAllowed = true;
};
