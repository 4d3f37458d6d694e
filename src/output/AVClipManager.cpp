#include "AVClipManager.h"
#include "AVManager.h"

#include "core/RecordParameter.h"
#include "services/PlatformSeam.h"

#include "Log.h"

#include <QFile>
#include <QFileInfo>

namespace {
// The export format by the output's suffix, compared exactly (case-sensitive).
OutputVideoFileType exportTypeFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix == QLatin1String("mov"))
        return OVFT_MOV;
    if (suffix == QLatin1String("m4v"))
        return OVFT_M4V;
    if (suffix == QLatin1String("gif"))
        return OVFT_GIF;
    return OVFT_MP4;
}

struct AudioTarget {
    const char* extension;
    OutputAudioFileType type;
};

// The converter format and extension of a settings audio format; MP3 for anything else.
AudioTarget audioTargetFor(int format)
{
    switch (format) {
    case RP_FMT_M4A: return {"m4a", OAFT_M4A};
    case RP_FMT_CAF: return {"caf", OAFT_CAF};
    case RP_FMT_OGG: return {"ogg", OAFT_OGG};
    case RP_FMT_OPUS: return {"opus", OAFT_OPUS};
    case RP_FMT_FLAC: return {"flac", OAFT_FLAC};
    case RP_FMT_WMA: return {"wma", OAFT_WMA};
    default: return {"mp3", OAFT_MP3};
    }
}
} // namespace

AVClipManager::AVClipManager() : m_pManager(std::make_unique<AVManager>()) {}

AVClipManager::~AVClipManager() = default;

void AVClipManager::createVideoPlayer(const QString& path, QWidget* host)
{
    if (!m_pManager)
        return;
    const QByteArray localPath = QFile::encodeName(path);
    m_pManager->m_videoPlayer.reset();
    m_pManager->m_videoPlayer
        = PlatformSeam::current()->videoPlayer(m_pManager->m_pStatusCallback, localPath.constData(), host);
    m_pManager->m_audioPlayer.reset();
}

void AVClipManager::createAudioPlayer(QWidget* host)
{
    if (!m_pManager)
        return;
    m_pManager->m_videoPlayer.reset();
    m_pManager->m_audioPlayer.reset();
    m_pManager->m_audioPlayer = PlatformSeam::current()->audioPlayer(m_pManager->m_pStatusCallback, host);
}

CPlayerObject* AVClipManager::player() const
{
    if (!m_pManager)
        return nullptr;
    if (m_pManager->m_videoPlayer)
        return m_pManager->m_videoPlayer.get();
    return m_pManager->m_audioPlayer.get();
}

bool AVClipManager::beginTrimming()
{
    CPlayerObject* current = player();
    return current && current->BeginTrimming() == 0;
}

bool AVClipManager::setTrimmBegin(double seconds)
{
    CPlayerObject* current = player();
    return current && current->SetTrimBegin(seconds) == 0;
}

bool AVClipManager::setTrimmEnd(double seconds)
{
    CPlayerObject* current = player();
    return current && current->SetTrimEnd(seconds) == 0;
}

void AVClipManager::pause()
{
    m_bPaused = true;
    if (CPlayerObject* current = player())
        current->Pause();
}

void AVClipManager::resume()
{
    m_bPaused = false;
    if (CPlayerObject* current = player())
        current->Resume();
}

bool AVClipManager::isPause() const
{
    return m_bPaused;
}

bool AVClipManager::exportToFile(const QString& path)
{
    if (!m_pManager || !m_pManager->m_videoPlayer)
        return false;
    const QByteArray localPath = QFile::encodeName(path);
    return m_pManager->m_videoPlayer->Export(localPath.constData(), exportTypeFor(path),
                                             m_pManager->m_pExportCallback)
           == 0;
}

double AVClipManager::getExportProgress() const
{
    if (!m_pManager || !m_pManager->m_videoPlayer)
        return 0.0;
    return m_pManager->m_videoPlayer->GetExportProgress();
}

long long AVClipManager::getExportFileSize() const
{
    if (!m_pManager || !m_pManager->m_videoPlayer)
        return 0;
    return m_pManager->m_videoPlayer->GetExportedSize();
}

void AVClipManager::exportCancel()
{
    if (!m_pManager)
        return;
    if (m_pManager->m_videoPlayer)
        m_pManager->m_videoPlayer->CancelExport();
    m_pManager.reset();
}

void AVClipManager::setControlsStyle(contralsStyle style)
{
    if (m_pManager && m_pManager->m_videoPlayer)
        m_pManager->m_videoPlayer->SetControlsStyle(style);
}

int AVClipManager::Seek(double seconds)
{
    if (m_pManager && m_pManager->m_audioPlayer)
        m_pManager->m_audioPlayer->Seek(seconds);
    return 0;
}

void AVClipManager::SetMicVolume(float volume)
{
    if (m_pManager && m_pManager->m_audioPlayer)
        m_pManager->m_audioPlayer->SetVolume(1, volume);
}

void AVClipManager::SetRanderVolume(float volume)
{
    if (m_pManager && m_pManager->m_audioPlayer)
        m_pManager->m_audioPlayer->SetVolume(0, volume);
}

QString AVClipManager::AudioExport(const QString& path)
{
    const AudioTarget target = audioTargetFor(RecordParameter::instance()->usedAudioFmt());
    const QString output = path + QLatin1String(target.extension);
    if (!m_pManager || !m_pManager->m_audioPlayer)
        return QString();
    m_pManager->m_audioPlayer.reset();
    const QByteArray localPath = QFile::encodeName(output);
    m_pManager->m_audioConverter.reset();
    m_pManager->m_audioConverter
        = scAudioConvert(m_pManager->m_pConvertCallback, localPath.constData(), target.type,
                         CodecQuality(RecordParameter::instance()->getAudioQuality()));
    if (!m_pManager->m_audioConverter) {
        // Nothing will report: tell the caller now instead of leaving it waiting.
        Log("AVClipManager", 2, "audio conversion could not start");
        return QString();
    }
    return output;
}

double AVClipManager::getAudioConvertProgress() const
{
    if (!m_pManager || !m_pManager->m_audioConverter)
        return 0.0;
    return m_pManager->m_audioConverter->GetProgress();
}

void AVClipManager::deleteTempFile()
{
    DeleteAudioRecordTempFiles();
}
