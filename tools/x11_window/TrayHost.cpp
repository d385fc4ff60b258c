#include "TrayHost.h"

#include <string>

namespace x11tools {

namespace {
constexpr int kIconSize = 24;
constexpr int kSlots = 8;
constexpr uint32_t kRequestDock = 0;       // SYSTEM_TRAY_REQUEST_DOCK
constexpr uint32_t kEmbeddedNotify = 0;    // XEMBED_EMBEDDED_NOTIFY
constexpr uint32_t kXembedVersion = 0;
}  // namespace

TrayHost::TrayHost(const XDisplay& display) : display_(display) {}

bool TrayHost::start() {
    xcb_connection_t* c = display_.get();
    window_ = xcb_generate_id(c);
    const uint32_t values[] = {display_.screen()->black_pixel, 1, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, display_.root(), 0, 0, kIconSize * kSlots, kIconSize, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, display_.screen()->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const std::string title = "x11_window tray";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(title.size()), title.data());
    const uint32_t horizontal = 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, display_.atom("_NET_SYSTEM_TRAY_ORIENTATION"),
                        XCB_ATOM_CARDINAL, 32, 1, &horizontal);
    xcb_map_window(c, window_);

    const xcb_atom_t selection = display_.atom("_NET_SYSTEM_TRAY_S" + std::to_string(display_.screenNumber()));
    opcode_ = display_.atom("_NET_SYSTEM_TRAY_OPCODE");
    xembed_ = display_.atom("_XEMBED");
    xcb_set_selection_owner(c, window_, selection, XCB_CURRENT_TIME);
    auto owner = Own(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!owner || owner->owner != window_) return false;
    // Programs that started earlier learn of the new tray from this message.
    const uint32_t manager[5] = {XCB_CURRENT_TIME, selection, window_, 0, 0};
    return display_.sendClientMessage(display_.root(), display_.root(), display_.atom("MANAGER"), manager,
                                      XCB_EVENT_MASK_STRUCTURE_NOTIFY);
}

void TrayHost::run() {
    xcb_connection_t* c = display_.get();
    while (auto event = Own(xcb_wait_for_event(c))) {
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) continue;
        const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
        if (message->type == opcode_ && message->format == 32 && message->data.data32[1] == kRequestDock)
            dock(message->data.data32[2]);
    }
}

void TrayHost::dock(xcb_window_t icon) {
    xcb_connection_t* c = display_.get();
    const uint32_t geometry[] = {kIconSize, kIconSize};
    xcb_configure_window(c, icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, geometry);
    xcb_reparent_window(c, icon, window_, static_cast<int16_t>(nextX_), 0);
    nextX_ = (nextX_ + kIconSize) % (kIconSize * kSlots);
    xcb_map_window(c, icon);
    const uint32_t notify[5] = {XCB_CURRENT_TIME, kEmbeddedNotify, 0, window_, kXembedVersion};
    display_.sendClientMessage(icon, icon, xembed_, notify);
    xcb_flush(c);
}

}  // namespace x11tools
