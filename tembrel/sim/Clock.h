#pragma once
// Simulation time in milliseconds. The real clock follows the system's monotonic clock;
// the manual clock moves only when told to, so tests step it instead of waiting.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace tembrel::sim {

class Clock {
public:
    explicit Clock(bool manual) : manual_(manual), start_(std::chrono::steady_clock::now()) {}
    bool manual() const { return manual_; }
    uint64_t nowMs() const {
        uint64_t base = 0;
        if (!manual_) {
            base = uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start_)
                                .count());
        }
        return base + offsetMs_.load();
    }
    // Moves time forward; with the real clock this jumps ahead of it.
    void advance(uint64_t ms) { offsetMs_ += ms; }

private:
    const bool manual_;
    const std::chrono::steady_clock::time_point start_;
    std::atomic<uint64_t> offsetMs_{0};
};

}  // namespace tembrel::sim
