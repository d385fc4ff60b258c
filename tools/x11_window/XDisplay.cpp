#include "XDisplay.h"

#include <cstring>

namespace x11tools {

XDisplay::XDisplay() : connection_(xcb_connect(nullptr, &screenNumber_)) {
    if (!ok()) return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber_ && it.rem > 0; ++i) xcb_screen_next(&it);
    screen_ = it.data;
}

XDisplay::~XDisplay() { xcb_disconnect(connection_); }

xcb_atom_t XDisplay::atom(const std::string& name) const {
    auto reply = Own(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string XDisplay::textProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const {
    auto reply = Own(
        xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, property, type, 0, 256), nullptr));
    if (!reply || reply->format != 8) return {};
    const int length = xcb_get_property_value_length(reply.get());
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())), static_cast<size_t>(length));
}

std::vector<xcb_window_t> XDisplay::find(const std::string& title) const {
    std::vector<xcb_window_t> found;
    auto tree = Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root()), nullptr));
    if (!tree) return found;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    const xcb_atom_t netName = atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    for (int i = 0; i < count; ++i) {
        auto attributes = Own(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        std::string name = textProperty(children[i], netName, utf8);
        if (name.empty()) name = textProperty(children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (name == title) found.push_back(children[i]);
    }
    return found;
}

bool XDisplay::sendClientMessage(xcb_window_t destination, xcb_window_t window, xcb_atom_t type,
                                 const uint32_t (&data)[5], uint32_t eventMask) const {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::memcpy(event.data.data32, data, sizeof data);
    auto error = Own(xcb_request_check(
        connection_, xcb_send_event_checked(connection_, 0, destination, eventMask, reinterpret_cast<const char*>(&event))));
    return !error;
}

bool XDisplay::setIconic(xcb_window_t window, bool iconic) const {
    // ICCCM 4.1.3.1: WM_STATE holds the state and the icon window (none).
    constexpr uint32_t kNormalState = 1;
    constexpr uint32_t kIconicState = 3;
    const xcb_atom_t wmState = atom("WM_STATE");
    const uint32_t state[2] = {iconic ? kIconicState : kNormalState, XCB_NONE};
    const auto setState = [&] {
        return xcb_change_property_checked(connection_, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, state);
    };
    const xcb_void_cookie_t first = iconic ? setState() : xcb_map_window_checked(connection_, window);
    const xcb_void_cookie_t second = iconic ? xcb_unmap_window_checked(connection_, window) : setState();
    const auto firstError = Own(xcb_request_check(connection_, first));
    const auto secondError = Own(xcb_request_check(connection_, second));
    return !firstError && !secondError;
}

}  // namespace x11tools
