#include "KeyPress.h"

#include <xcb/xcb_keysyms.h>

#include <cstring>
#include <memory>
#include <utility>

namespace x11tools {

namespace {

constexpr std::pair<const char*, uint32_t> kNamedKeys[] = {
    {"Tab", 0xff09},  {"Return", 0xff0d}, {"Escape", 0xff1b}, {"space", 0x20},   {"Next", 0xff56},
    {"Prior", 0xff55}, {"Up", 0xff52},    {"Down", 0xff54},   {"Left", 0xff51}, {"Right", 0xff53},
    {"minus", 0x2d},
};

constexpr std::pair<const char*, uint16_t> kModifiers[] = {
    {"shift", XCB_MOD_MASK_SHIFT}, {"ctrl", XCB_MOD_MASK_CONTROL}, {"alt", XCB_MOD_MASK_1}};

std::optional<uint32_t> Keysym(const std::string& name) {
    // Letters and digits are their own (lower-case) keysyms.
    if (name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= '0' && name[0] <= '9')))
        return static_cast<uint32_t>(name[0]);
    for (const auto& [known, keysym] : kNamedKeys)
        if (name == known) return keysym;
    return std::nullopt;
}

}  // namespace

std::optional<KeyChord> ParseKeyChord(const std::string& text) {
    KeyChord chord;
    std::string rest = text;
    for (std::size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();) {
        const std::string modifier = rest.substr(0, plus);
        bool known = false;
        for (const auto& [name, mask] : kModifiers)
            if (modifier == name) {
                chord.modifiers |= mask;
                known = true;
            }
        if (!known) return std::nullopt;
        rest = rest.substr(plus + 1);
    }
    const auto keysym = Keysym(rest);
    if (!keysym) return std::nullopt;
    chord.keysym = *keysym;
    return chord;
}

bool SendKey(const XDisplay& display, xcb_window_t window, const KeyChord& chord) {
    const std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(display.get()), &xcb_key_symbols_free);
    if (!symbols) return false;
    const std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
        xcb_key_symbols_get_keycode(symbols.get(), chord.keysym), &std::free);
    if (!codes || codes.get()[0] == XCB_NO_SYMBOL) return false;

    xcb_set_input_focus(display.get(), XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    bool sent = true;
    for (const uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
        xcb_key_press_event_t event{};
        event.response_type = type;
        event.detail = codes.get()[0];
        event.time = XCB_CURRENT_TIME;
        event.root = display.root();
        event.event = window;
        event.child = XCB_NONE;
        event.state = chord.modifiers;
        event.same_screen = 1;
        auto error = Own(xcb_request_check(display.get(), xcb_send_event_checked(display.get(), 1, window,
                                                                                 XCB_EVENT_MASK_KEY_PRESS,
                                                                                 reinterpret_cast<const char*>(&event))));
        sent = sent && !error;
    }
    return sent;
}

}  // namespace x11tools
