#include "tembrel/common/EventDispatcher.h"

#include <chrono>

namespace tembrel::abi {

EventDispatcher::EventDispatcher() : thread_([this] { run(); }) {}

EventDispatcher::~EventDispatcher() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void EventDispatcher::waitOutDelivery(std::unique_lock<std::mutex>& lock) {
    if (!delivering_ || std::this_thread::get_id() == thread_.get_id()) return;
    // The next delivery already sees the new receiver: only the one under way is waited for.
    const uint64_t underWay = deliveries_;
    delivered_.wait(lock, [&] { return deliveries_ != underWay; });
}

void EventDispatcher::setSink(const ZARN9100_EVENT_SINK* sink) {
    std::unique_lock lock(mutex_);
    sink_ = sink != nullptr ? *sink : ZARN9100_EVENT_SINK{};
    waitOutDelivery(lock);
}

void EventDispatcher::setDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) {
    std::unique_lock lock(mutex_);
    deviceNotify_ = callback;
    deviceContext_ = context;
    waitOutDelivery(lock);
}

void EventDispatcher::post(CardEvent e) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(e));
    }
    wake_.notify_one();
}

size_t EventDispatcher::queued() {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

bool EventDispatcher::flush(uint32_t timeoutMs) {
    if (std::this_thread::get_id() == thread_.get_id()) return false;
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return queue_.empty() && !delivering_; });
}

void EventDispatcher::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        CardEvent e = std::move(queue_.front());
        queue_.pop_front();
        delivering_ = true;
        const ZARN9100_EVENT_SINK sink = sink_;
        const TEMBREL_DEVICE_NOTIFY deviceNotify = deviceNotify_;
        void* const deviceContext = deviceContext_;
        lock.unlock();
        if (e.kind == CardEvent::Kind::Device) {
            if (deviceNotify != nullptr) deviceNotify(deviceContext, uint32_t(e.code), e.text.c_str());
        } else if (sink.notify != nullptr) {
            const intptr_t param =
                e.code == ZARN9100_EVENT_STATUS_TEXT ? reinterpret_cast<intptr_t>(e.text.c_str()) : e.param;
            sink.notify(sink.context, ZARN9100_EVENT_MESSAGE, e.code, param);
        }
        lock.lock();
        delivering_ = false;
        ++deliveries_;
        delivered_.notify_all();
        if (queue_.empty()) idle_.notify_all();
    }
}

}  // namespace tembrel::abi
