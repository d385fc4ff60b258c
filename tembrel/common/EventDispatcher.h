#pragma once
// Delivers events in order from a thread of its own, to whichever receiver is registered at
// the moment of delivery. Never calls a receiver while holding its lock. Replacing a receiver
// waits for a delivery already under way, so that once setSink or setDeviceNotify returns the
// old receiver is never called again and may go away.

#include "tembrel/common/CardEvent.h"

#include <Tembrel.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace tembrel::abi {

class EventDispatcher {
public:
    EventDispatcher();
    ~EventDispatcher();
    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    void setSink(const ZARN9100_EVENT_SINK* sink);
    void setDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context);
    void post(CardEvent e);
    // Waits until every posted event has been delivered. False on time-out, or when called
    // from inside a receiver (which would wait for itself).
    bool flush(uint32_t timeoutMs);
    // Events posted and not yet delivered.
    size_t queued();

private:
    void run();
    // Waits (lock held) until the delivery under way, if any, has returned; not on the
    // delivering thread, where the receiver itself is replacing the receiver.
    void waitOutDelivery(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::condition_variable delivered_;
    std::deque<CardEvent> queue_;
    bool delivering_ = false;
    uint64_t deliveries_ = 0;  // deliveries finished
    bool stop_ = false;
    ZARN9100_EVENT_SINK sink_{};
    TEMBREL_DEVICE_NOTIFY deviceNotify_ = nullptr;
    void* deviceContext_ = nullptr;
    std::thread thread_;
};

}  // namespace tembrel::abi
