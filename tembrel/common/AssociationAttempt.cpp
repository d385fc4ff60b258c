#include "tembrel/common/AssociationAttempt.h"

namespace tembrel::abi {

AssociationAttempts::Id AssociationAttempts::begin() {
    Id id;
    {
        std::lock_guard lock(mutex_);
        id = ++latest_;
        underWay_ = true;
        outcome_.reset();
    }
    // A wait for the attempt before is over.
    changed_.notify_all();
    return id;
}

AssociationAttempts::Id AssociationAttempts::current() const {
    std::lock_guard lock(mutex_);
    return underWay_ ? latest_ : kNone;
}

bool AssociationAttempts::settle(Id id, int outcome) {
    {
        std::lock_guard lock(mutex_);
        if (id == kNone || id != latest_ || !underWay_ || outcome_) return false;
        outcome_ = outcome;
    }
    changed_.notify_all();
    return true;
}

std::optional<int> AssociationAttempts::wait(Id id, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const auto over = [&] { return stop_ || id != latest_ || outcome_.has_value(); };
    changed_.wait_for(lock, timeout, over);
    std::optional<int> result = !stop_ && id == latest_ ? outcome_ : std::nullopt;
    if (id == latest_) underWay_ = false;
    return result;
}

void AssociationAttempts::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
}

bool AssociationAttempts::stopped() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

}  // namespace tembrel::abi
