#include "adapter/AdapterHandle.h"

#include <utility>

namespace tembrel {

bool AdapterHandle::closeWithin(std::chrono::milliseconds wait, Closer close) {
    std::unique_lock lock(mutex_);
    if (idle_.wait_for(lock, wait, [&] { return inFlight_ == 0; })) {
        close(&handle_);
        handle_ = nullptr;
        return true;
    }
    // Only one handle is ever open: a second close before the first ended has nothing to put aside.
    if (handle_ && !putAside_) {
        putAside_ = handle_;
        closePutAside_ = std::move(close);
    }
    handle_ = nullptr;
    return false;
}

void AdapterHandle::release() const {
    std::unique_lock lock(mutex_);
    if (inFlight_ == 1 && putAside_) {
        // The last call on a handle put aside closes it. It still counts as in flight, so that an
        // opening waits until the library has closed the previous handle.
        ZARN9100_HANDLE handle = std::exchange(putAside_, nullptr);
        const Closer close = std::exchange(closePutAside_, nullptr);
        lock.unlock();
        close(&handle);
        lock.lock();
    }
    --inFlight_;
    idle_.notify_all();
}

}  // namespace tembrel
