#pragma once
// The main window's switches that the supervisor thread reads afresh at every step. The
// user-interface thread changes them at any time (Advanced page, Auto Link dialog, monitor-mode
// check), so each is an atomic; `stopping`, `radioState` and the handle live with the adapter.

#include <atomic>
#include <cstdint>

namespace tembrel {

// What the Auto Link flow tells the waiting supervisor.
enum AutoLinkResult : uint32_t {
    kAutoLinkNone = 0,
    kAutoLinkConnected = 1009,  // connected by Auto Link, or aborted because the card went away
    kAutoLinkNothingDone = 1010,
    kAutoLinkProfilePrepared = 1011,  // a profile was prepared but is not connected yet
};

struct SupervisorFlags {
    std::atomic<uint32_t> monitorMode{0};
    std::atomic<uint32_t> autoLink{1};           // settings "Advanced"/"AutoLink"
    std::atomic<uint32_t> autoConfiguration{1};  // settings "Advanced"/"Auto Configuration"
    std::atomic<uint32_t> autoLinkRunning{0};    // the Auto Link flow runs on the UI thread
    std::atomic<uint32_t> autoLinkResult{kAutoLinkNone};  // the last result the flow set
};

}  // namespace tembrel
