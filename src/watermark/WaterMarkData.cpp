#include "watermark/WaterMarkData.h"

#include "OvProductInfo.h"
#include "watermark/WaterMarkDataManage.h"

#include <QObject>

WaterMarkData::WaterMarkData()
    : m_strWaterMarkName(QObject::tr("Screen Recorder"))
    , m_lstMargin(defaultMargins())
    , m_ItemSize(-1, -1)
    , m_strWatermarkText(OvProductInfo::instance()->productNativeName(QString()))
    , m_strWaterMarkPath(WaterMarkDataManage::instance()->defaultPicturePath())
{
    m_font.setPointSize(24);
}

bool WaterMarkData::operator==(const WaterMarkData& other) const
{
    if (m_strWaterMarkName != other.m_strWaterMarkName || m_bPic != other.m_bPic)
        return false;
    if (m_lstMargin != other.m_lstMargin)
        return false;
    if (m_ItemSize.width() != other.m_ItemSize.width() || m_ItemSize.height() != other.m_ItemSize.height())
        return false;
    if (m_strWatermarkText != other.m_strWatermarkText || !(m_font == other.m_font)
        || m_clrTextWatermark != other.m_clrTextWatermark)
        return false;
    if (m_bPic && m_strWaterMarkPath != other.m_strWaterMarkPath)
        return false;
    return m_nOpacity == other.m_nOpacity && m_shadow == other.m_shadow;
}
