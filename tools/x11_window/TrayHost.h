#pragma once
// A bare notification area: owns the system-tray selection of the screen and docks the icons
// that ask for it in one small window, as a desktop's panel would. Enough for programs that
// check for a notification area and put an icon there.

#include "XDisplay.h"

namespace x11tools {

class TrayHost {
public:
    explicit TrayHost(const XDisplay& display);

    // Takes the selection and announces it; false when another tray has it.
    bool start();
    // Handles dock requests until the connection breaks.
    void run();

private:
    void dock(xcb_window_t icon);

    const XDisplay& display_;
    xcb_window_t window_ = XCB_NONE;
    xcb_atom_t opcode_ = XCB_ATOM_NONE;
    xcb_atom_t xembed_ = XCB_ATOM_NONE;
    int nextX_ = 0;
};

}  // namespace x11tools
