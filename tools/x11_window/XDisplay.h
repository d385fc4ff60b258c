#pragma once
// A connection to the X display in $DISPLAY with the few requests the measurement tools need.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace x11tools {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply) {
    return Reply<T>(reply, &std::free);
}

class XDisplay {
public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool ok() const { return xcb_connection_has_error(connection_) == 0; }
    xcb_connection_t* get() const { return connection_; }
    xcb_screen_t* screen() const { return screen_; }
    int screenNumber() const { return screenNumber_; }
    xcb_window_t root() const { return screen_->root; }

    xcb_atom_t atom(const std::string& name) const;
    std::string textProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const;
    // Viewable children of the root whose _NET_WM_NAME (or WM_NAME) is title.
    std::vector<xcb_window_t> find(const std::string& title) const;
    // Sends a 32-bit client message and waits until the server has taken it; false on an error.
    bool sendClientMessage(xcb_window_t destination, xcb_window_t window, xcb_atom_t type,
                           const uint32_t (&data)[5], uint32_t eventMask = XCB_EVENT_MASK_NO_EVENT) const;

    // What a window manager does when a window is minimised (iconic: WM_STATE IconicState, then
    // unmapped) and brought back from the task bar (mapped, then WM_STATE NormalState); false on
    // an error.
    bool setIconic(xcb_window_t window, bool iconic) const;

private:
    xcb_connection_t* connection_;
    int screenNumber_ = 0;
    xcb_screen_t* screen_ = nullptr;
};

}  // namespace x11tools
