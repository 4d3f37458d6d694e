#pragma once
// The region facade: the region box that shows, moves and resizes the capture rectangle,
// and the selection overlay on which the user drags out a new one. The box's signals reach
// the main window queued. GUI thread.

#include "RegionBox.h"
#include "RegionSelector.h"

#include <QObject>
#include <QPointer>
#include <QRect>


class ScreenRegion : public QObject {
    Q_OBJECT
public:
    static ScreenRegion* instance();
    // Closes the box and the overlay; the next instance() starts afresh.
    static void release();

    // Lets the user drag out a new rectangle on `display`: emits toHideMainWindow first,
    // shows the selection overlay a moment later (once the hidden windows are gone from
    // the picture it shows), then emits endSelectRegion with the rectangle (empty when
    // cancelled).
    void startSelectRegion(const QRect& display);
    // Shows the box around `rect`, kept inside `bounds`; with `fixedSize` it can only be moved.
    void showRegion(const QRect& rect, const QRect& bounds, bool fixedSize);
    void hideRegion();
    // Hides the box and forgets it: restoreRegion shows nothing until the next showRegion.
    void closeRegion();
    // Shows the box again where it was, when it was shown before hideRegion.
    void restoreRegion();
    bool isRegionVisible() const;
    bool isSelecting() const;
    QRect regionRect() const { return m_rect; }

    // For tests: the widgets, null until first used.
    RegionBox* regionBox() const { return m_pBox; }
    RegionSelector* regionSelector() const { return m_pSelector; }

signals:
    // The main window should get out of the way of the selection overlay.
    void toHideMainWindow();
    // The selection ended with `rect` (desktop coordinates); empty when it was cancelled.
    void endSelectRegion(const QRect& rect);
    // A move or resize of the box ended with `rect`.
    void RREndDrag(const QRect& rect);

private:
    ScreenRegion();
    ~ScreenRegion() override;
    RegionBox* box();

    QPointer<RegionBox> m_pBox;
    QPointer<RegionSelector> m_pSelector;
    QRect m_rect;
    QRect m_bounds;
    bool m_bFixedSize = false;
    bool m_bShown = false;
};
