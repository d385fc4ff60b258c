#pragma once
// The connection supervisor thread, one per open adapter: started by OpenAdapter, stopped by
// CloseAdapter with a bounded wait. Each run has its own stop request (the stop event), so a
// run that is still finishing its last library call after a timed-out stop never mistakes a
// later start for permission to go on.
//
// Lifetime: everything in the context must outlive this object; its destructor stops and joins
// the thread. A stop that timed out leaves the thread to end by itself (every wait wakes on the
// stop request and each library call is short); start() and the destructor join it.
// start(), stop() and running() belong to one thread (the user-interface thread).

#include "connection/SupervisorRoutine.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace tembrel {

class Supervisor {
public:
    explicit Supervisor(SupervisorContext context);
    ~Supervisor();
    Supervisor(const Supervisor&) = delete;
    Supervisor& operator=(const Supervisor&) = delete;

    // Starts a run (the stop event reset). A previous run that is still ending is joined first.
    void start();
    // Signals the stop event and waits up to `wait` for the thread to end. True when no thread
    // is left running (also when none ran).
    bool stop(std::chrono::milliseconds wait);
    // A thread is running (it has not ended by itself or been stopped).
    bool running() const;
    // Passes whose 5,000 ms wait ran out, over all runs.
    uint64_t passes() const { return passes_.load(); }

private:
    struct RunState {
        std::mutex mutex;
        std::condition_variable ended;
        bool finished = false;
    };
    void joinPrevious();

    SupervisorContext context_;
    std::atomic<uint64_t> passes_{0};
    std::shared_ptr<RunState> run_;
    std::jthread thread_;
};

}  // namespace tembrel
