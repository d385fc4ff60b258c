#pragma once
// Key presses sent to a window as a user types them: "alt+c", "ctrl+shift+Tab", "Return".
// They are synthetic events (XSendEvent), which toolkits take with the modifiers the event
// names; the window is given the input focus first, so that its shortcuts are live.

#include "XDisplay.h"

#include <optional>
#include <string>

namespace x11tools {

struct KeyChord {
    uint32_t keysym = 0;
    uint16_t modifiers = 0;  // X11 state bits: Shift, Control, Mod1 (Alt)
};

// "ctrl+alt+x", "Tab", "Next"; nullopt for a name this tool does not know.
std::optional<KeyChord> ParseKeyChord(const std::string& text);

// Focuses window and sends the chord's press and release; false when the key has no code
// on this display or the server refused the events.
bool SendKey(const XDisplay& display, xcb_window_t window, const KeyChord& chord);

}  // namespace x11tools
