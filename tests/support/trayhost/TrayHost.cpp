// A system tray as a desktop panel provides it, for tests: it owns the tray selection of
// screen 0, takes the icons that ask to be docked into its own window at the top-right of
// the screen (one 24-pixel cell each, from the left) and tells them they are embedded.
// Prints "ready" once the selection is its own; runs until it is killed.

#include "XcbConnection.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
const int kCell = 24;
const int kIcon = 22;
const int kCells = 8;
const uint32_t kRequestDock = 0;
const uint32_t kEmbeddedNotify = 0;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    auto reply = xcbReply(c, xcb_intern_atom_reply, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name));
    return reply ? reply->atom : XCB_ATOM_NONE;
}

void sendClientMessage(xcb_connection_t* c, xcb_window_t to, xcb_window_t about, xcb_atom_t type,
                       const uint32_t (&data)[5], uint32_t mask)
{
    xcb_client_message_event_t event;
    memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = about;
    event.type = type;
    memcpy(event.data.data32, data, sizeof data);
    xcb_send_event(c, 0, to, mask, reinterpret_cast<const char*>(&event));
}
} // namespace

int main()
{
    XcbConnection conn;
    if (!conn.isOpen()) {
        fprintf(stderr, "trayhost: no display\n");
        return 1;
    }
    xcb_connection_t* c = conn.get();
    const xcb_screen_t* screen = conn.screen();
    const int16_t left = int16_t(screen->width_in_pixels - kCell * kCells);
    const xcb_window_t tray = xcb_generate_id(c);
    const uint32_t values[] = {screen->black_pixel, 1, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, tray, screen->root, left, 0, kCell * kCells, kCell, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(c, tray);

    const xcb_atom_t selection = atom(c, "_NET_SYSTEM_TRAY_S0");
    const xcb_atom_t opcode = atom(c, "_NET_SYSTEM_TRAY_OPCODE");
    const xcb_atom_t xembed = atom(c, "_XEMBED");
    xcb_set_selection_owner(c, tray, selection, XCB_CURRENT_TIME);
    auto owner = xcbReply(c, xcb_get_selection_owner_reply, xcb_get_selection_owner(c, selection));
    if (!owner || owner->owner != tray) {
        fprintf(stderr, "trayhost: the tray selection is taken\n");
        return 1;
    }
    const uint32_t manager[5] = {XCB_CURRENT_TIME, selection, tray, 0, 0};
    sendClientMessage(c, screen->root, screen->root, atom(c, "MANAGER"), manager, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    xcb_flush(c);
    printf("ready %d 0 %d\n", int(left), kCell);
    fflush(stdout);

    int docked = 0;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == opcode && message->data.data32[1] == kRequestDock && docked < kCells) {
                const xcb_window_t icon = message->data.data32[2];
                const int16_t x = int16_t(docked * kCell + (kCell - kIcon) / 2);
                // As a panel does: an icon outlives a tray that is killed.
                xcb_change_save_set(c, XCB_SET_MODE_INSERT, icon);
                xcb_reparent_window(c, icon, tray, x, (kCell - kIcon) / 2);
                const uint32_t size[] = {kIcon, kIcon};
                xcb_configure_window(c, icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
                xcb_map_window(c, icon);
                const uint32_t notify[5] = {XCB_CURRENT_TIME, kEmbeddedNotify, 0, tray, 0};
                sendClientMessage(c, icon, icon, xembed, notify, XCB_EVENT_MASK_NO_EVENT);
                xcb_flush(c);
                printf("docked %u at %d\n", icon, int(left + x));
                fflush(stdout);
                ++docked;
            }
        }
        free(event);
    }
    return 0;
}
