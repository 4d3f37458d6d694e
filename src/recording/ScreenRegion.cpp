#include "ScreenRegion.h"

#include "Log.h"
#include "recording/RegionBox.h"
#include "recording/RegionSelector.h"

#include <QTimer>

namespace {
ScreenRegion* g_instance = nullptr;
// Time for the windows hidden before a selection to leave the screen.
constexpr int kHideDelayMs = 200;
}

ScreenRegion* ScreenRegion::instance()
{
    if (!g_instance)
        g_instance = new ScreenRegion();
    return g_instance;
}

void ScreenRegion::release()
{
    delete g_instance;
    g_instance = nullptr;
}

ScreenRegion::ScreenRegion() = default;

ScreenRegion::~ScreenRegion()
{
    delete m_pBox;
    delete m_pSelector;
}

RegionBox* ScreenRegion::box()
{
    if (!m_pBox) {
        m_pBox = new RegionBox();
        connect(m_pBox, &RegionBox::sigDragEnd, this, [this](const QRect& rect) {
            m_rect = rect;
            emit RREndDrag(rect);
        });
        connect(m_pBox, &RegionBox::sigRegionChanging, this, [this](const QRect& rect) { m_rect = rect; });
    }
    return m_pBox;
}

void ScreenRegion::startSelectRegion(const QRect& display)
{
    Log("ScreenRegion", 1, "select region on %d,%d %dx%d", display.x(), display.y(), display.width(), display.height());
    if (!m_pSelector) {
        m_pSelector = new RegionSelector();
        connect(m_pSelector, &RegionSelector::sigSelected, this, [this](const QRect& rect) {
            m_rect = rect;
            emit endSelectRegion(rect);
        });
        connect(m_pSelector, &RegionSelector::sigCanceled, this, [this] { emit endSelectRegion(QRect()); });
    }
    if (m_pBox)
        m_pBox->hide();
    emit toHideMainWindow();
    // The overlay shows a picture of the display: take it once the main window is gone.
    QPointer<RegionSelector> selector = m_pSelector;
    QTimer::singleShot(kHideDelayMs, this, [selector, display] {
        if (selector)
            selector->start(display);
    });
}

void ScreenRegion::showRegion(const QRect& rect, const QRect& bounds, bool fixedSize)
{
    m_rect = rect;
    m_bounds = bounds;
    m_bFixedSize = fixedSize;
    m_bShown = true;
    RegionBox* b = box();
    b->setFixedRegionSize(fixedSize);
    b->setRegion(rect, bounds);
    b->showFrame();
}

void ScreenRegion::hideRegion()
{
    if (m_pBox)
        m_pBox->hide();
}

void ScreenRegion::closeRegion()
{
    m_bShown = false;
    hideRegion();
}

void ScreenRegion::restoreRegion()
{
    if (m_bShown && m_rect.isValid())
        showRegion(m_rect, m_bounds, m_bFixedSize);
}

bool ScreenRegion::isRegionVisible() const { return m_pBox && m_pBox->isVisible(); }

bool ScreenRegion::isSelecting() const { return m_pSelector && m_pSelector->isVisible(); }
