#pragma once
// One watermark: a picture, or a text rendered into a picture, with its placement
// (margins and size in recording pixels), opacity and drop shadow. A plain value type.

#include "watermark/ShadowParam.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QSize>
#include <QString>

class WaterMarkData {
public:
    // The defaults; asks the store for the default picture path (copying the bundled
    // picture into the watermark folder when it is missing there).
    WaterMarkData();

    // Compares everything that the user can edit; the picture path only when this record
    // is a picture watermark (a text record's picture is derived from its text).
    bool operator==(const WaterMarkData& other) const;
    bool operator!=(const WaterMarkData& other) const { return !(*this == other); }

    QString m_strWaterMarkName;
    bool m_bPic = true;
    QList<int> m_lstMargin;  // top, right, bottom, left; -1 = side not anchored
    QSize m_ItemSize;        // drawn size; invalid (negative) = the picture's own size
    QString m_strWatermarkText;
    QFont m_font;
    QColor m_clrTextWatermark; // invalid draws black
    QString m_strWaterMarkPath;
    int m_nOpacity = 100; // percent
    ShadowParam m_shadow;

    static QList<int> defaultMargins() { return {-1, 60, 60, -1}; }
};
