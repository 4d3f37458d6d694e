#include "capture/InputCatcher.h"

#include "XcbConnection.h"

#include <QRegion>
#include <QSocketNotifier>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xfixes.h>

namespace capture {

namespace {
// The X cursor font's crosshair and its mask.
const uint16_t kCrosshairGlyph = 34;
const uint16_t kFullIntensity = 0xffff;
const uint8_t kLeftButton = 1;
// The XFixes version whose regions can shape a window's input.
const uint32_t kXFixesMajor = 2;
} // namespace

InputCatcher::InputCatcher(const QRect& area, QObject* parent) : QObject(parent)
{
    auto conn = std::make_unique<XcbConnection>();
    if (!conn->isOpen() || area.isEmpty())
        return;
    xcb_connection_t* c = conn->get();
    const char fontName[] = "cursor";
    const xcb_font_t font = xcb_generate_id(c);
    xcb_open_font(c, font, uint16_t(std::strlen(fontName)), fontName);
    m_cursor = xcb_generate_id(c);
    xcb_create_glyph_cursor(c, m_cursor, font, font, kCrosshairGlyph, kCrosshairGlyph + 1, 0, 0, 0, kFullIntensity,
                            kFullIntensity, kFullIntensity);
    xcb_close_font(c, font);

    m_window = xcb_generate_id(c);
    // Values in the order of their mask bits.
    const uint32_t values[] = {1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE
                                      | XCB_EVENT_MASK_BUTTON_MOTION, m_cursor};
    xcb_create_window(c, 0, m_window, conn->root(), int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                      uint16_t(area.height()), 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_CURSOR, values);
    const auto version = conn->reply(xcb_xfixes_query_version_reply, xcb_xfixes_query_version(c, kXFixesMajor, 0));
    m_canShape = version && version->major_version >= kXFixesMajor;
    m_size = area.size();
    xcb_flush(c);
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InputCatcher::onReadable);
    m_conn = std::move(conn);
}

InputCatcher::~InputCatcher()
{
    if (!m_conn)
        return;
    xcb_destroy_window(m_conn->get(), m_window);
    xcb_free_cursor(m_conn->get(), m_cursor);
    xcb_flush(m_conn->get());
}

void InputCatcher::setActive(bool active)
{
    if (!m_conn)
        return;
    xcb_connection_t* c = m_conn->get();
    if (active) {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_map_window(c, m_window);
        xcb_configure_window(c, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    } else {
        xcb_unmap_window(c, m_window);
    }
    xcb_flush(c);
}

void InputCatcher::setLeftOut(const QRect& rect)
{
    if (!m_conn || !m_canShape)
        return;
    xcb_connection_t* c = m_conn->get();
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : QRegion(QRect(QPoint(0, 0), m_size)).subtracted(rect))
        rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
    const xcb_xfixes_region_t region = xcb_generate_id(c);
    xcb_xfixes_create_region(c, region, uint32_t(rects.size()), rects.data());
    xcb_xfixes_set_window_shape_region(c, m_window, XCB_SHAPE_SK_INPUT, 0, 0, region);
    xcb_xfixes_destroy_region(c, region);
    xcb_flush(c);
}

void InputCatcher::onReadable()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_conn->get())) {
        switch (event->response_type & ~0x80) {
        case XCB_BUTTON_PRESS: {
            const auto* press = reinterpret_cast<xcb_button_press_event_t*>(event);
            if (press->detail == kLeftButton)
                emit pressed(QPoint(press->event_x, press->event_y));
            break;
        }
        case XCB_MOTION_NOTIFY: {
            const auto* motion = reinterpret_cast<xcb_motion_notify_event_t*>(event);
            emit moved(QPoint(motion->event_x, motion->event_y));
            break;
        }
        case XCB_BUTTON_RELEASE: {
            const auto* release = reinterpret_cast<xcb_button_release_event_t*>(event);
            if (release->detail == kLeftButton)
                emit released(QPoint(release->event_x, release->event_y));
            break;
        }
        default:
            break;
        }
        std::free(event);
    }
    // A broken connection stays readable: stop listening to it.
    if (xcb_connection_has_error(m_conn->get()))
        m_notifier->setEnabled(false);
}

} // namespace capture
