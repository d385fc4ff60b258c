#pragma once
// The association SetSsid waits for, in every real card. Each attempt has a number of its own;
// an outcome names the attempt it is for and settles that one only, and only once. So an event
// of an earlier network that arrives late, or a reply to an earlier request, never settles a
// later attempt.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace tembrel::abi {

class AssociationAttempts {
public:
    using Id = uint64_t;
    static constexpr Id kNone = 0;

    // A new attempt, from now on the one under way; the one before it can no longer be settled.
    Id begin();
    // The attempt a SetSsid is still waiting for, settled or not; kNone when there is none.
    Id current() const;
    // Settles `id` with `outcome` when it is the attempt under way; false otherwise.
    bool settle(Id id, int outcome);
    // Waits until `id` is settled; empty when the time is up first or the card stops. Either
    // way the attempt is over when this returns.
    std::optional<int> wait(Id id, std::chrono::milliseconds timeout);
    // Wakes every wait, now and later (the card shuts down).
    void stop();
    bool stopped() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Id latest_ = kNone;
    bool underWay_ = false;  // a wait for latest_ has not returned yet
    std::optional<int> outcome_;
    bool stop_ = false;
};

}  // namespace tembrel::abi
