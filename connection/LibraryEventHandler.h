#pragma once
// The main window's handling of library events (codes 0 to 9) and of its own codes 1002 and
// 1007, as a plain class: the window calls Handle() on its user-interface thread for each event
// and forwards the event to the active page when told to (and only while it is not minimised
// and has an active page).

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "adapter/RadioState.h"
#include "connection/AutoLinkEvent.h"
#include "connection/EventCodes.h"
#include "connection/SupervisorFlags.h"

#include <atomic>
#include <cstdint>

namespace tembrel {

// What the main window does on behalf of the table. The sheet implements it; tests record it.
class LibraryEventActions {
public:
    virtual ~LibraryEventActions() = default;
    virtual void refreshStatus(bool connected) = 0;
    virtual void closeAdapter() = 0;
    virtual void setRadioCheckEnabled(bool enabled) = 0;  // "Radio Off  ( Alt+F2 )"
    virtual void updateRadioUi() = 0;
    virtual void reselectActivePage() = 0;
    virtual void runAutoLink() = 0;  // RunAutoLink, modal
};

enum class EventRoute { kForward, kDrop };

struct LibraryEventContext {
    DriverLibrary& driver;
    const AdapterHandle& handle;
    const std::atomic<uint32_t>& stopping;
    RadioState& radioState;
    SupervisorFlags& flags;
    AutoLinkEvent& autoLinkEvent;
};

class LibraryEventHandler {
public:
    LibraryEventHandler(LibraryEventContext context, LibraryEventActions& actions)
        : context_(context), actions_(actions) {}

    // Handles one event; says whether it goes on to the active page (with both parameters).
    EventRoute Handle(uintptr_t code);

private:
    // GetConnectStatus when a card is open; `noCard` without one.
    int connectStatusOr(int noCard) const;

    LibraryEventContext context_;
    LibraryEventActions& actions_;
};

// The forwarding rule of the main window: a routed event reaches the active page unless the
// window is minimised or no page is active.
inline bool ShouldForwardToPage(EventRoute route, bool minimised, bool hasActivePage) {
    return route == EventRoute::kForward && !minimised && hasActivePage;
}

}  // namespace tembrel
