#include "WaterMarkPosGrid.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>

namespace WaterMarkPosGrid {

void onPosModeChanged(int mode, QList<int>& margins)
{
    const int m = kPresetMargin;
    // top, right, bottom, left
    static const int presets[kCellCount][4] = {
        {m, -1, -1, m}, {m, -1, -1, -1}, {m, m, -1, -1},  {-1, -1, -1, m}, {-1, -1, -1, -1},
        {-1, m, -1, -1}, {-1, -1, m, m}, {-1, -1, m, -1}, {-1, m, m, -1},
    };
    margins.clear();
    if (mode < 0 || mode >= kCellCount)
        return;
    for (int side : presets[mode])
        margins.append(side);
}

PosMode classify(const QList<int>& margins)
{
    if (margins.size() != 4)
        return Center;
    const bool t = margins[0] >= 0, r = margins[1] >= 0, b = margins[2] >= 0, l = margins[3] >= 0;
    if (t && l)
        return TopLeft;
    if (r && t)
        return TopRight;
    if (t)
        return TopMiddle;
    if (l && b)
        return BottomLeft;
    if (b && r)
        return BottomRight;
    if (b)
        return BottomMiddle;
    if (r)
        return RightMiddle;
    if (l)
        return LeftMiddle;
    return Center;
}

QString positionText(PosMode mode)
{
    static const char* const texts[kCellCount] = {
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Top-left Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Top-middle Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Top-right Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Left-middle Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Center Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Right-middle Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Bottom-left Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Bottom-middle Display (Click the 9-Panel Grid to preset the position)"),
        QT_TRANSLATE_NOOP("DlgWatermarkManage", "Bottom-right Display (Click the 9-Panel Grid to preset the position)"),
    };
    return QCoreApplication::translate("DlgWatermarkManage", texts[mode]);
}

} // namespace WaterMarkPosGrid

WaterMarkPosGridPage::WaterMarkPosGridPage(const QList<QAbstractButton*>& buttons, QLabel* label, QObject* parent)
    : QObject(parent)
    , m_buttons(buttons)
    , m_label(label)
{
    Q_ASSERT(m_buttons.size() == WaterMarkPosGrid::kCellCount);
    // One exclusive group, whatever widgets the buttons sit in.
    auto* group = new QButtonGroup(this);
    for (int mode = 0; mode < m_buttons.size(); ++mode) {
        m_buttons[mode]->setCheckable(true);
        group->addButton(m_buttons[mode], mode);
    }
    connect(group, &QButtonGroup::idClicked, this, &WaterMarkPosGridPage::onPosSetClicked);
}

void WaterMarkPosGridPage::setMargins(QList<int>* margins)
{
    m_margins = margins;
    onChangPosMode();
}

void WaterMarkPosGridPage::onChangPosMode()
{
    if (m_margins)
        showMode(WaterMarkPosGrid::classify(*m_margins));
}

int WaterMarkPosGridPage::modeOf(const QObject* button) const
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i] == button)
            return i;
    }
    return -1;
}

void WaterMarkPosGridPage::onPosSetClicked(int mode)
{
    if (!m_margins)
        return;
    WaterMarkPosGrid::onPosModeChanged(mode, *m_margins);
    showMode(static_cast<WaterMarkPosGrid::PosMode>(mode));
    emit posChanged(mode);
}

void WaterMarkPosGridPage::showMode(WaterMarkPosGrid::PosMode mode)
{
    if (m_label)
        m_label->setText(WaterMarkPosGrid::positionText(mode));
    m_buttons[mode]->setChecked(true);
}
