#pragma once
// The program's single adapter handle, shared by the user-interface and supervisor threads.
// A call into the library holds a lease; releasing the handle waits until no lease is held,
// so the handle is never closed while a call that uses it is in flight.

#include <Tembrel.h>

#include <mutex>
#include <shared_mutex>

namespace tembrel {

class AdapterHandle {
public:
    class Lease {
    public:
        ZARN9100_HANDLE get() const { return handle_; }
        explicit operator bool() const { return handle_ != nullptr; }

    private:
        friend class AdapterHandle;
        Lease(std::shared_lock<std::shared_mutex> lock, ZARN9100_HANDLE handle)
            : lock_(std::move(lock)), handle_(handle) {}
        std::shared_lock<std::shared_mutex> lock_;
        ZARN9100_HANDLE handle_;
    };

    // Keep a lease only for the length of one library call (or a short fixed sequence):
    // closing the adapter waits for it.
    Lease lease() const {
        std::shared_lock lock(mutex_);
        ZARN9100_HANDLE h = handle_;
        return Lease(std::move(lock), h);
    }

    bool held() const {
        std::shared_lock lock(mutex_);
        return handle_ != nullptr;
    }

    // Runs f(ZARN9100_HANDLE*) with the handle exclusively locked: opening and closing.
    template <typename F>
    auto exclusive(F&& f) {
        std::unique_lock lock(mutex_);
        return f(&handle_);
    }

private:
    mutable std::shared_mutex mutex_;
    ZARN9100_HANDLE handle_ = nullptr;
};

}  // namespace tembrel
