#include "platform/EventCoalescer.h"

#include <algorithm>
#include <iterator>

namespace tembrel {

bool EventCoalescer::push(QueuedLibraryEvent event) {
    std::lock_guard lock(mutex_);
    const bool wasEmpty = waiting_.empty();
    if (auto same = std::find(waiting_.begin(), waiting_.end(), event); same != waiting_.end()) {
        waiting_.erase(same);
        ++coalesced_;
    } else if (waiting_.size() == kMaxWaiting) {
        waiting_.pop_front();
        ++coalesced_;
    }
    waiting_.push_back(std::move(event));
    return wasEmpty;
}

std::vector<QueuedLibraryEvent> EventCoalescer::take() {
    std::lock_guard lock(mutex_);
    std::vector<QueuedLibraryEvent> out(std::make_move_iterator(waiting_.begin()),
                                        std::make_move_iterator(waiting_.end()));
    waiting_.clear();
    return out;
}

std::size_t EventCoalescer::coalesced() const {
    std::lock_guard lock(mutex_);
    return coalesced_;
}

}  // namespace tembrel
