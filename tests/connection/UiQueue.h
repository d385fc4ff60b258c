#pragma once
// Calls meant for the user-interface thread, queued by any thread and run by the test thread
// when it drains the queue, as the main window's event loop would.

#include <deque>
#include <functional>
#include <mutex>

namespace tembrel::testing {

class UiQueue {
public:
    void post(std::function<void()> f) {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(f));
    }
    void drain() {
        for (;;) {
            std::function<void()> f;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty()) return;
                f = std::move(queue_.front());
                queue_.pop_front();
            }
            f();
        }
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace tembrel::testing
