#include "connection/Supervisor.h"

#include <utility>

namespace tembrel {

Supervisor::Supervisor(SupervisorContext context) : context_(std::move(context)) {}

Supervisor::~Supervisor() { joinPrevious(); }

void Supervisor::joinPrevious() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

void Supervisor::start() {
    joinPrevious();
    auto run = std::make_shared<RunState>();
    run_ = run;
    thread_ = std::jthread([this, run](std::stop_token stop) {
        SupervisorRoutine(context_, std::move(stop), &passes_).Run();
        {
            std::lock_guard lock(run->mutex);
            run->finished = true;
        }
        run->ended.notify_all();
    });
}

bool Supervisor::stop(std::chrono::milliseconds wait) {
    if (!thread_.joinable()) return true;
    thread_.request_stop();
    {
        std::unique_lock lock(run_->mutex);
        if (!run_->ended.wait_for(lock, wait, [&] { return run_->finished; })) return false;
    }
    thread_.join();
    return true;
}

bool Supervisor::running() const {
    if (!thread_.joinable() || !run_) return false;
    std::lock_guard lock(run_->mutex);
    return !run_->finished;
}

}  // namespace tembrel
