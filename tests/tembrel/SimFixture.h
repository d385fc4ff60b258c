#pragma once
// The loaded simulated card with a manual clock, a private control socket and a recorder of
// the events it delivers.

#include <TembrelSim.h>
#include <Tembrel.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace tembrel::testing {

struct RecordedEvent {
    uintptr_t code;
    std::string text;
};

class EventRecorder {
public:
    static void Notify(void* context, uint32_t message, uintptr_t code, intptr_t param) {
        auto* self = static_cast<EventRecorder*>(context);
        std::lock_guard lock(self->mutex_);
        if (message != ZARN9100_EVENT_MESSAGE) return;
        self->events_.push_back({code, code == 1012 ? std::string(reinterpret_cast<const char*>(param)) : ""});
        self->changed_.notify_all();
    }
    static void DeviceNotify(void* context, uint32_t event, const char* name) {
        auto* self = static_cast<EventRecorder*>(context);
        std::lock_guard lock(self->mutex_);
        self->devices_.push_back({event, name});
        self->changed_.notify_all();
    }
    ZARN9100_EVENT_SINK sink() { return ZARN9100_EVENT_SINK{&Notify, this}; }

    // Waits (bounded) until an event with this code has arrived.
    bool waitFor(uintptr_t code) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
            for (const auto& e : events_) {
                if (e.code == code) return true;
            }
            return false;
        });
    }
    bool waitForDevice(uint32_t event) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
            for (const auto& e : devices_) {
                if (e.code == event) return true;
            }
            return false;
        });
    }
    std::vector<uintptr_t> codes() {
        std::lock_guard lock(mutex_);
        std::vector<uintptr_t> out;
        for (const auto& e : events_) out.push_back(e.code);
        return out;
    }
    std::vector<RecordedEvent> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<RecordedEvent> devices() {
        std::lock_guard lock(mutex_);
        return devices_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
        devices_.clear();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<RecordedEvent> events_;
    std::vector<RecordedEvent> devices_;
};

inline std::string TestSocketPath() { return "/tmp/tembrel-test-" + std::to_string(getpid()) + ".sock"; }

// Runs a control command in-process; the reply text, or "ERROR: ..." when it failed.
inline std::string Control(const std::string& json) {
    char reply[8192];
    const int r = TembrelSimControl(json.c_str(), reply, sizeof reply);
    return r == 0 ? std::string(reply) : "ERROR: " + std::string(reply);
}

class SimulatedCardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static const bool configured = [] {
            setenv("TEMBREL_SIM_CLOCK", "manual", 1);
            setenv("TEMBREL_SIM_SOCKET", TestSocketPath().c_str(), 1);
            unsetenv("TEMBREL_SIM_ENVIRONMENT");
            return true;
        }();
        (void)configured;
    }
    void SetUp() override {
        TembrelSimReset();
        ZARN9100_EVENT_SINK sink = events.sink();
        ASSERT_EQ(Zarn9100Initialize(&sink), 0);
        ASSERT_EQ(TembrelSetDeviceNotify(&EventRecorder::DeviceNotify, &events), 0);
        ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
        ASSERT_NE(h, nullptr);
    }
    void TearDown() override {
        Zarn9100CloseAdapter(&h);
        EXPECT_EQ(TembrelSimFlushEvents(10000), 0);
        Zarn9100Initialize(nullptr);
        TembrelSetDeviceNotify(nullptr, nullptr);
    }
    // Sends everything queued so far, so that "no such event" can be asserted.
    void flush() { ASSERT_EQ(TembrelSimFlushEvents(10000), 0); }

    int connectOpen(const char* ssid) {
        Zarn9100SetNetworkMode(h, 1);
        Zarn9100SetAuthMode(h, 0);
        Zarn9100SetWepStatus(h, 1);
        Zarn9100SetFswCCXNetworkEap(h, 0);
        return Zarn9100SetSsid(h, ssid, uint32_t(std::strlen(ssid)), 0);
    }

    EventRecorder events;
    ZARN9100_HANDLE h = nullptr;
};

}  // namespace tembrel::testing
