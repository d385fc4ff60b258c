#pragma once
// The supervisor's message box ("Auto Link Failed!") as the supervisor sees it: open from the
// moment the supervisor asks for it until the user-interface thread reports it dismissed. The
// supervisor waits for that, and a run of the supervisor that finds a box still open (left by
// a run that was stopped meanwhile) waits for it before showing its own, so that two such boxes
// never show at once. Shared: the dismissal may come after the run that asked has ended.

#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace tembrel {

class MessageBoxGate {
public:
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
    }
    void Close() {
        {
            std::lock_guard lock(mutex_);
            open_ = false;
        }
        cv_.notify_all();
    }
    bool open() const {
        std::lock_guard lock(mutex_);
        return open_;
    }
    // Waits until no box is open; false when `stop` was requested first.
    bool WaitClosed(std::stop_token stop) {
        std::unique_lock lock(mutex_);
        return cv_.wait(lock, stop, [&] { return !open_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable_any cv_;
    bool open_ = false;
};

}  // namespace tembrel
