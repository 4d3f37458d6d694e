#include "watermark/ApplyWMEditThread.h"

#include "watermark/WaterMarkCache.h"
#include "watermark/WaterMarkRenderer.h"

ApplyWMEditThread::ApplyWMEditThread(QObject* parent)
    : QThread(parent)
{
}

void ApplyWMEditThread::onSetParam(const QString& picturePath, ShadowParam* shadow, double opacity, bool save)
{
    m_strPicturePath = picturePath;
    m_shadow = shadow ? *shadow : ShadowParam();
    m_dOpacity = opacity;
    m_bSave = save;
}

void ApplyWMEditThread::onSetSaveImgEdited(QImage* image)
{
    m_bSaveMode = true;
    m_imgToSave = image ? *image : QImage();
}

void ApplyWMEditThread::onSetSaveImgEditedPath(const QString& path) { m_strSavePath = path; }

void ApplyWMEditThread::run()
{
    m_strTempPath.clear();
    m_strWriteError.clear();
    if (m_bSaveMode) {
        if (m_strSavePath.isEmpty())
            m_strSavePath = WaterMarkCache::imagePath();
        m_strTempPath = WaterMarkCache::writeBeside(m_imgToSave, m_strSavePath, &m_strWriteError);
        return;
    }
    m_imgEdited = WaterMarkRenderer::loadPicture(m_strPicturePath);
    if (m_imgEdited.isNull()) {
        m_strSavePath.clear();
        return;
    }
    m_imgEdited = WaterMarkRenderer::applyEffects(m_imgEdited, m_shadow, m_dOpacity);
    if (m_bSave) {
        if (m_strSavePath.isEmpty())
            m_strSavePath = WaterMarkCache::imagePath();
        m_strTempPath = WaterMarkCache::writeBeside(m_imgEdited, m_strSavePath, &m_strWriteError);
    }
}
