#include "AVManager.h"

AVManager::AVManager()
    : m_pExportCallback(new AVPlayerExportCallback()),
      m_pStatusCallback(new AVPlayerStatusCallback()),
      m_pConvertCallback(new AudioConvertCallback())
{
}

AVManager::~AVManager()
{
    m_videoPlayer.reset();
    m_audioPlayer.reset();
    m_audioConverter.reset();
    delete m_pExportCallback;
    delete m_pStatusCallback;
    delete m_pConvertCallback;
}
