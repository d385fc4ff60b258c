#pragma once
// The main window's `stopping` flag: 1 while the supervisor must leave the card alone. It has
// one owner, the adapter, and two kinds of holder: the adapter itself from CloseAdapter (and
// Exit) to the next OpenAdapter, and a page for the length of its own scan or connection. Holds
// overlap (Exit during a page's join, two pages' waits), so a holder that lets go takes only its
// own share away: the flag stays set while any other holder remains.
//
// The supervisor and the library-event handler read `value()` from their own threads.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace tembrel {

class StopFlag {
public:
    // A page's share, from construction to destruction.
    class Hold {
    public:
        explicit Hold(StopFlag& flag);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        StopFlag& flag_;
    };

    StopFlag() = default;
    StopFlag(const StopFlag&) = delete;
    StopFlag& operator=(const StopFlag&) = delete;

    // The adapter's share: set by CloseAdapter and at exit, cleared by OpenAdapter.
    void setClosed(bool closed);

    bool set() const { return value_.load() != 0; }
    const std::atomic<uint32_t>& value() const { return value_; }

private:
    void publish();  // under mutex_

    std::mutex mutex_;
    bool closed_ = false;
    int pageHolds_ = 0;
    std::atomic<uint32_t> value_{0};
};

}  // namespace tembrel
