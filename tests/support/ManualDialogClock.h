#pragma once
// A dialog clock that moves only when the test says so: advance() fires every timer that falls
// due, in time order, on the calling thread. Callbacks may stop or destroy any timer, start new
// ones, or run a nested event loop that advances the clock again.

#include "ui/logic/DialogClock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tembrel::testing {

class ManualDialogClock final : public ui::DialogClock {
public:
    std::unique_ptr<ui::DialogTimer> start(std::chrono::milliseconds interval, std::function<void()> onTimeout) override {
        auto entry = std::make_shared<Entry>();
        entry->interval = interval.count() > 0 ? interval.count() : 1;
        entry->due = now_ + entry->interval;
        entry->callback = std::move(onTimeout);
        entries_.push_back(entry);
        ++started_;
        return std::make_unique<Timer>(entry);
    }

    void advance(std::chrono::milliseconds by) {
        const int64_t target = now_ + by.count();
        for (;;) {
            std::shared_ptr<Entry> next;
            for (const auto& e : entries_)
                if (e->active && e->due <= target && (!next || e->due < next->due)) next = e;
            if (!next) break;
            if (next->due > now_) now_ = next->due;
            next->due += next->interval;
            const auto callback = next->callback;  // the timer may go away inside
            callback();
        }
        if (target > now_) now_ = target;
        std::erase_if(entries_, [](const auto& e) { return !e->active; });
    }

    int64_t nowMs() const { return now_; }
    int timersStarted() const { return started_; }
    // Timers that would still fire.
    int activeTimers() const {
        int n = 0;
        for (const auto& e : entries_) n += e->active ? 1 : 0;
        return n;
    }

private:
    struct Entry {
        int64_t due = 0;
        int64_t interval = 1;
        std::function<void()> callback;
        bool active = true;
    };
    class Timer final : public ui::DialogTimer {
    public:
        explicit Timer(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        ~Timer() override { entry_->active = false; }
        void stop() override { entry_->active = false; }

    private:
        std::shared_ptr<Entry> entry_;
    };

    std::vector<std::shared_ptr<Entry>> entries_;
    int64_t now_ = 0;
    int started_ = 0;
};

}  // namespace tembrel::testing
