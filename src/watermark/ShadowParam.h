#pragma once
// Drop-shadow settings of a watermark: the tail of WaterMarkData.

#include <QColor>

struct ShadowParam {
    bool m_bShadow = false;
    QColor m_clrShadow = QColor(0, 0, 0, 255);
    int m_OffsetX = 2; // horizontal offset in image pixels
    int m_OffsetY = 2; // vertical offset in image pixels
    int m_Blur = 2;    // blur radius in image pixels

    bool operator==(const ShadowParam& other) const
    {
        return m_bShadow == other.m_bShadow && m_clrShadow == other.m_clrShadow && m_OffsetX == other.m_OffsetX
               && m_OffsetY == other.m_OffsetY && m_Blur == other.m_Blur;
    }
    bool operator!=(const ShadowParam& other) const { return !(*this == other); }
};
