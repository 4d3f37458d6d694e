#pragma once
// The nine-position grid of the watermark manager: the preset margins of each cell, the
// cell that a record's margins amount to, and the label text of each cell. Pure functions
// plus a small binder that keeps one page's nine buttons and label in step. GUI thread.

#include <QList>
#include <QObject>
#include <QString>

class QAbstractButton;
class QLabel;

namespace WaterMarkPosGrid {
// Cells in reading order; the values are stored nowhere but index the button lists.
enum PosMode {
    TopLeft = 0,
    TopMiddle = 1,
    TopRight = 2,
    LeftMiddle = 3,
    Center = 4,
    RightMiddle = 5,
    BottomLeft = 6,
    BottomMiddle = 7,
    BottomRight = 8,
};
constexpr int kCellCount = 9;
// Distance from the anchored frame edges that a preset keeps, in recording pixels.
constexpr int kPresetMargin = 60;

// Replaces `margins` (top, right, bottom, left) with the preset of `mode`; a mode outside
// the grid leaves the list empty.
void onPosModeChanged(int mode, QList<int>& margins);
// The cell that margins amount to: a side is anchored when its entry is >= 0; top wins over
// bottom, left over right except in the middle row. A list of the wrong length is centred.
PosMode classify(const QList<int>& margins);
// "<Position> Display (Click the 9-Panel Grid to preset the position)".
QString positionText(PosMode mode);
} // namespace WaterMarkPosGrid

// One page of the grid: nine checkable buttons (in PosMode order) and the label beside
// them. The page does not own them. A click writes the preset into the margins handed to
// setMargins() and emits posChanged(); nothing is rendered here.
class WaterMarkPosGridPage : public QObject {
    Q_OBJECT
public:
    WaterMarkPosGridPage(const QList<QAbstractButton*>& buttons, QLabel* label, QObject* parent = nullptr);

    // Binds the page to a record's margins (kept by the caller while bound) and shows them:
    // the matching button checked, the label set.
    void setMargins(QList<int>* margins);
    // Shows the bound margins again after someone else changed them (placement editor).
    void onChangPosMode();
    // The mode of one of the page's buttons, -1 for any other object.
    int modeOf(const QObject* button) const;

signals:
    // The user picked a cell; the bound margins already hold its preset.
    void posChanged(int mode);

private:
    void onPosSetClicked(int mode);
    void showMode(WaterMarkPosGrid::PosMode mode);

    QList<QAbstractButton*> m_buttons;
    QLabel* m_label;
    QList<int>* m_margins = nullptr;
};
