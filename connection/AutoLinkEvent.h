#pragma once
// The auto-reset event on which the supervisor waits for the Auto Link flow. The result travels
// with the signal. Signalling an event that is already signalled changes nothing (the pending
// result stays): when the card goes away while the dialog is open, the main window signals 1009
// and the closing dialog's later result does not replace it before the supervisor has seen it.
// A wait also ends when the supervisor is asked to stop.

#include "connection/SupervisorFlags.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>

namespace tembrel {

class AutoLinkEvent {
public:
    // Sets the Auto Link result (also into flags.autoLinkResult) and signals the event, unless
    // a signal is still pending.
    void Signal(SupervisorFlags& flags, uint32_t result) {
        {
            std::lock_guard lock(mutex_);
            if (signalled_) return;
            flags.autoLinkResult = result;
            result_ = result;
            signalled_ = true;
        }
        cv_.notify_all();
    }

    void Reset() {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }

    // Waits without time limit for a signal and consumes it (auto reset). Empty when `stop` was
    // requested first.
    std::optional<uint32_t> Wait(std::stop_token stop) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait(lock, stop, [&] { return signalled_; })) return std::nullopt;
        signalled_ = false;
        return result_;
    }

    bool signalled() const {
        std::lock_guard lock(mutex_);
        return signalled_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable_any cv_;
    bool signalled_ = false;
    uint32_t result_ = kAutoLinkNone;
};

}  // namespace tembrel
