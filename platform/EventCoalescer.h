#pragma once
// The library's events on their way to the user-interface thread. A library may send events
// faster than the window handles them (each link event re-reads the card); queued one by one,
// they would pile up without bound and the window would stop answering. Here an event that is
// still waiting when the same event (code, parameter and text) comes again is delivered once, at
// the later place: every handler reads the card's current state, so nothing is lost by handling a
// repeated notification once. What waits is bounded; beyond the bound the oldest event goes.
// Thread-safe: the library's thread pushes, the user-interface thread takes.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace tembrel {

struct QueuedLibraryEvent {
    uintptr_t code = 0;
    intptr_t param = 0;
    std::string text;  // the copied status text of code 1012
    friend bool operator==(const QueuedLibraryEvent&, const QueuedLibraryEvent&) = default;
};

class EventCoalescer {
public:
    static constexpr std::size_t kMaxWaiting = 256;

    // True when nothing was waiting before: the caller then schedules one take() on the
    // user-interface thread.
    bool push(QueuedLibraryEvent event);
    // Every waiting event, in order; afterwards nothing waits.
    std::vector<QueuedLibraryEvent> take();

    std::size_t coalesced() const;  // events merged into a later one or dropped at the bound, so far

private:
    mutable std::mutex mutex_;
    std::deque<QueuedLibraryEvent> waiting_;
    std::size_t coalesced_ = 0;
};

}  // namespace tembrel
