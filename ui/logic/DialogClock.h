#pragma once
// Time as the dialogs that count down or give up see it. The program runs it on Qt timers
// (QtDialogClock.h); tests step a manual clock, so that no test waits for a 15-second countdown.

#include <chrono>
#include <functional>
#include <memory>

namespace tembrel::ui {

// A running timer; destroying it stops it. stop() may be called from the timer's own callback
// (destroying it there is not allowed).
class DialogTimer {
public:
    virtual ~DialogTimer() = default;
    virtual void stop() = 0;
};

class DialogClock {
public:
    virtual ~DialogClock() = default;
    // Calls onTimeout every `interval`, on the user-interface thread, until the timer is destroyed.
    [[nodiscard]] virtual std::unique_ptr<DialogTimer> start(std::chrono::milliseconds interval,
                                                             std::function<void()> onTimeout) = 0;
};

}  // namespace tembrel::ui
