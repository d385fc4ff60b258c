#pragma once
// The program's single adapter handle, shared by the user-interface and supervisor threads and
// the join worker. A call into the library holds a lease; the handle is never closed while a
// call that uses it is in flight.
//
// Closing waits for the calls in flight only so long: a call that blocks longer (SetSsid waiting
// for a whole 802.1x exchange) keeps the handle it uses, no new call gets it, and that call closes
// it on its way out. The window is not held up by a call it cannot cancel.

#include <Tembrel.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tembrel {

class AdapterHandle {
public:
    class Lease {
    public:
        Lease(Lease&& other) noexcept : owner_(other.owner_), handle_(other.handle_) { other.owner_ = nullptr; }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;
        ~Lease() {
            if (owner_) owner_->release();
        }

        ZARN9100_HANDLE get() const { return handle_; }
        explicit operator bool() const { return handle_ != nullptr; }

    private:
        friend class AdapterHandle;
        Lease(const AdapterHandle* owner, ZARN9100_HANDLE handle) : owner_(owner), handle_(handle) {}
        const AdapterHandle* owner_;  // null when the lease counts for nothing (no handle, moved from)
        ZARN9100_HANDLE handle_;
    };

    // The library's CloseAdapter(handle*), run with no call in flight.
    using Closer = std::function<void(ZARN9100_HANDLE*)>;

    AdapterHandle() = default;
    AdapterHandle(const AdapterHandle&) = delete;
    AdapterHandle& operator=(const AdapterHandle&) = delete;

    // Keep a lease only for the length of one library call (or a short fixed sequence):
    // closing the adapter waits for it.
    Lease lease() const {
        std::lock_guard lock(mutex_);
        if (!handle_) return Lease(nullptr, nullptr);
        ++inFlight_;
        return Lease(this, handle_);
    }

    bool held() const {
        std::lock_guard lock(mutex_);
        return handle_ != nullptr;
    }

    // Runs f(ZARN9100_HANDLE*) with no call in flight and no lease given meanwhile: opening, and
    // closing where waiting is fine (the end of the program).
    template <typename F>
    auto exclusive(F&& f) {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [&] { return inFlight_ == 0; });
        return f(&handle_);
    }

    // Closes the held handle with `close` once no call is in flight, waiting up to `wait` for the
    // calls in flight. When they outlast it, the handle is taken away from new leases at once and
    // the last of those calls closes it as it ends. True when the handle was closed here.
    bool closeWithin(std::chrono::milliseconds wait, Closer close);

private:
    void release() const;

    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    // Leases given out and not yet released, plus a closing of a handle put aside that is running.
    mutable int inFlight_ = 0;
    ZARN9100_HANDLE handle_ = nullptr;
    // A handle taken from new leases while calls on it were still in flight, and how to close it.
    mutable ZARN9100_HANDLE putAside_ = nullptr;
    mutable Closer closePutAside_;
};

}  // namespace tembrel
