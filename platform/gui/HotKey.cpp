#include "HotKey.h"

#include <QGuiApplication>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace tembrel {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* s) const { xcb_key_symbols_free(s); }
};

constexpr std::uint16_t kAlt = XCB_MOD_MASK_1;
// The modifiers that decide whether a press is Alt+F2; locks are not among them.
constexpr std::uint16_t kRelevantModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 |
                                             XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

xcb_connection_t* X11Connection() {
    if (!qGuiApp) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

std::vector<xcb_keycode_t> KeycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> result;
    std::unique_ptr<xcb_keycode_t, FreeDeleter> codes(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* code = codes.get(); code && *code != XCB_NO_SYMBOL; ++code) {
        result.push_back(*code);
    }
    return result;
}

// The modifier bit NumLock sets on this server (usually Mod2).
std::uint16_t NumLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    const std::vector<xcb_keycode_t> numLock = KeycodesOf(symbols, XK_Num_Lock);
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, FreeDeleter> reply(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!reply || numLock.empty()) return XCB_MOD_MASK_2;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = map[modifier * perModifier + i];
            for (xcb_keycode_t wanted : numLock) {
                if (code == wanted) return static_cast<std::uint16_t>(1u << modifier);
            }
        }
    }
    return XCB_MOD_MASK_2;
}

}  // namespace

X11HotKey::X11HotKey(QObject* parent) : HotKey(parent) {}

X11HotKey::~X11HotKey() { unregisterKey(); }

bool X11HotKey::registerKey() {
    if (!grabs_.empty()) return true;
    xcb_connection_t* connection = X11Connection();
    if (!connection) return false;

    std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols(xcb_key_symbols_alloc(connection));
    if (!symbols) return false;
    keycodes_ = KeycodesOf(symbols.get(), XK_F2);
    if (keycodes_.empty()) return false;
    const std::uint16_t numLock = NumLockMask(connection, symbols.get());
    ignoredModifiers_ = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock);
    const std::uint16_t variants[] = {kAlt, static_cast<std::uint16_t>(kAlt | XCB_MOD_MASK_LOCK),
                                      static_cast<std::uint16_t>(kAlt | numLock),
                                      static_cast<std::uint16_t>(kAlt | XCB_MOD_MASK_LOCK | numLock)};

    // Send every grab, then check each: a BadAccess means another client owns the key.
    std::vector<std::pair<Grab, xcb_void_cookie_t>> requests;
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection)); screen.rem;
         xcb_screen_next(&screen)) {
        for (xcb_keycode_t keycode : keycodes_) {
            for (std::uint16_t modifiers : variants) {
                const Grab grab{screen.data->root, keycode, modifiers};
                requests.emplace_back(grab, xcb_grab_key_checked(connection, 1, grab.root, grab.modifiers,
                                                                 grab.keycode, XCB_GRAB_MODE_ASYNC,
                                                                 XCB_GRAB_MODE_ASYNC));
            }
        }
    }
    bool failed = false;
    for (const auto& [grab, cookie] : requests) {
        std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(connection, cookie));
        if (error) {
            failed = true;
        } else {
            grabs_.push_back(grab);
        }
    }
    if (failed || grabs_.empty()) {
        unregisterKey();
        return false;
    }
    qGuiApp->installNativeEventFilter(this);
    filterInstalled_ = true;
    return true;
}

void X11HotKey::unregisterKey() {
    if (filterInstalled_ && qGuiApp) qGuiApp->removeNativeEventFilter(this);
    filterInstalled_ = false;
    if (xcb_connection_t* connection = X11Connection()) {
        for (const Grab& grab : grabs_) xcb_ungrab_key(connection, grab.keycode, grab.root, grab.modifiers);
        xcb_flush(connection);
    }
    grabs_.clear();
}

bool X11HotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !message) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    const std::uint16_t modifiers = press->state & kRelevantModifiers & ~ignoredModifiers_;
    if (modifiers != kAlt) return false;
    for (std::uint8_t keycode : keycodes_) {
        if (press->detail == keycode) {
            emit activated();
            return true;
        }
    }
    return false;
}

}  // namespace tembrel
