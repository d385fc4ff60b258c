#include "adapter/StopFlag.h"

namespace tembrel {

StopFlag::Hold::Hold(StopFlag& flag) : flag_(flag) {
    std::lock_guard lock(flag_.mutex_);
    ++flag_.pageHolds_;
    flag_.publish();
}

StopFlag::Hold::~Hold() {
    std::lock_guard lock(flag_.mutex_);
    --flag_.pageHolds_;
    flag_.publish();
}

void StopFlag::setClosed(bool closed) {
    std::lock_guard lock(mutex_);
    closed_ = closed;
    publish();
}

void StopFlag::publish() { value_ = closed_ || pageHolds_ > 0 ? 1 : 0; }

}  // namespace tembrel
