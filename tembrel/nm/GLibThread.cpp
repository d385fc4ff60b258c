#include "GLibThread.h"

#include <memory>

namespace tembrel::nm {

namespace {

gboolean RunWork(gpointer data) {
    (*static_cast<std::function<void()>*>(data))();
    return G_SOURCE_REMOVE;
}

void DeleteWork(gpointer data) { delete static_cast<std::function<void()>*>(data); }

}  // namespace

GLibThread::GLibThread(std::function<void()> setUp, std::function<void()> tearDown)
    : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {
    std::promise<void> ready;
    std::future<void> started = ready.get_future();
    thread_ = std::thread([this, setUp = std::move(setUp), tearDown = std::move(tearDown), &ready]() mutable {
        run(std::move(setUp), std::move(tearDown), ready);
    });
    started.wait();
}

GLibThread::~GLibThread() {
    post([this] { g_main_loop_quit(loop_); });
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void GLibThread::post(std::function<void()> work) {
    auto* heap = new std::function<void()>(std::move(work));
    g_main_context_invoke_full(context_, G_PRIORITY_DEFAULT, RunWork, heap, DeleteWork);
}

void GLibThread::run(std::function<void()> setUp, std::function<void()> tearDown, std::promise<void>& ready) {
    g_main_context_push_thread_default(context_);
    if (setUp) setUp();
    ready.set_value();
    g_main_loop_run(loop_);
    if (tearDown) tearDown();
    // Sources the tear-down left (idle callbacks of finished operations) still get their turn.
    while (g_main_context_iteration(context_, FALSE)) {
    }
    g_main_context_pop_thread_default(context_);
}

}  // namespace tembrel::nm
