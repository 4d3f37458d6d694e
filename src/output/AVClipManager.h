#pragma once
// The preview dialog's door to the engine's players: one video or one audio player in a
// widget of the dialog, the audio converter, and the callbacks that forward the engine's
// reports to the signal hub (SignalsTransfer), from where the dialog receives them queued.
// GUI thread only.

#include "ScreencastTypes.h"

#include <QString>
#include <memory>

class AVManager;
class CPlayerObject;
class QWidget;

class AVClipManager {
public:
    AVClipManager();
    ~AVClipManager();
    AVClipManager(const AVClipManager&) = delete;
    AVClipManager& operator=(const AVClipManager&) = delete;

    // Plays the file `path` in `host`; releases any previous player (video or audio).
    void createVideoPlayer(const QString& path, QWidget* host);
    // Plays the engine's last audio recording in `host`; releases any previous player.
    void createAudioPlayer(QWidget* host);

    // Shows the engine's trim controls; false without a player or when the engine refuses.
    bool beginTrimming();
    // Moves the trim begin/end (seconds); false without a player or for a bad value.
    bool setTrimmBegin(double seconds);
    bool setTrimmEnd(double seconds);
    void pause();
    void resume();
    bool isPause() const;

    // Exports the video player's trimmed range to `path`; the format follows the suffix
    // ("mp4", "mov", "m4v", "gif", compared case-sensitively; any other: MP4). True when
    // the export started; its end arrives as SignalsTransfer::OnExportCompleted.
    bool exportToFile(const QString& path);
    // Share of the export done, 0 to 1; 0 without a video player.
    double getExportProgress() const;
    // Bytes the export has written; 0 without a video player.
    long long getExportFileSize() const;
    // Stops a running export (no report follows) and frees players, converter and
    // callbacks: every later call does nothing.
    void exportCancel();
    void setControlsStyle(contralsStyle style);

    // Jumps the audio player to `seconds`; always 0.
    int Seek(double seconds);
    // Gain of the microphone track (1) / the system sound track (0) of the audio player.
    void SetMicVolume(float volume);
    void SetRanderVolume(float volume);

    // Converts the engine's last audio recording into the audio format of the settings,
    // appending its extension to `path` (which ends with a dot). Releases the audio player.
    // Returns the output path, or an empty string when there is no audio player or the
    // conversion cannot start. Its end arrives as SignalsTransfer::OnExportCompleted.
    QString AudioExport(const QString& path);
    // Share of the conversion done, 0 to 1; 0 without a converter.
    double getAudioConvertProgress() const;
    // Removes the engine's audio recording files.
    void deleteTempFile();

private:
    // The video player, else the audio player; null when there is neither.
    CPlayerObject* player() const;

    std::unique_ptr<AVManager> m_pManager;
    bool m_bPaused = true;
};
