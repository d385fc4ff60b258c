#pragma once
// A GLib main loop on a thread of its own, with its own main context: every libnm object of the
// library lives and is touched only there, so the program's event loop never has to be GLib's.
// Other threads hand work over with call() and wait for its result.

#include <glib.h>

#include <functional>
#include <future>
#include <thread>
#include <type_traits>
#include <utility>

namespace tembrel::nm {

class GLibThread {
public:
    // `setUp` runs first on the new thread, with the thread's context as its default (so the
    // objects it makes deliver their signals here); `tearDown` runs last, before the loop ends.
    GLibThread(std::function<void()> setUp, std::function<void()> tearDown);
    ~GLibThread();
    GLibThread(const GLibThread&) = delete;
    GLibThread& operator=(const GLibThread&) = delete;

    bool onThread() const { return std::this_thread::get_id() == thread_.get_id(); }
    GMainContext* context() const { return context_; }

    // Runs `work` on the loop thread and returns its result; on the loop thread itself it runs
    // at once (waiting for itself would never end).
    template <class F>
    auto call(F&& work) -> std::invoke_result_t<F&> {
        using R = std::invoke_result_t<F&>;
        if (onThread()) return work();
        std::packaged_task<R()> task(std::forward<F>(work));
        std::future<R> done = task.get_future();
        post([&task] { task(); });
        return done.get();
    }
    // Queues `work` on the loop thread without waiting.
    void post(std::function<void()> work);

private:
    void run(std::function<void()> setUp, std::function<void()> tearDown, std::promise<void>& ready);

    GMainContext* context_;
    GMainLoop* loop_;
    std::thread thread_;
};

}  // namespace tembrel::nm
