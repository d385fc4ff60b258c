#pragma once
// Waiting on a condition in tests: never on elapsed time, always with a generous bound for slow
// (sanitizer) runs. `between` runs while the condition does not hold yet: a short sleep by
// default; Qt tests pump the event loop instead (WaitUntil.h).

#include <chrono>
#include <thread>

namespace tembrel::testing {

inline constexpr std::chrono::milliseconds kPollBound{20000};

inline void SleepBriefly() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

template <typename Condition, typename Between = decltype(&SleepBriefly)>
bool PollUntil(Condition condition, std::chrono::milliseconds bound = kPollBound, Between between = &SleepBriefly) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return condition();
        between();
    }
    return true;
}

}  // namespace tembrel::testing
