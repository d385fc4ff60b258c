// Several threads use the card at once, as the user-interface thread and the supervisor do,
// while the card is pulled and re-inserted and handles are closed under their feet. Run
// under ThreadSanitizer in CI.
#include "SimFixture.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tembrel::testing {
namespace {

// A receiver that calls back into the library from the event thread, as the program does.
struct ReentrantReceiver {
    std::atomic<ZARN9100_HANDLE> handle{nullptr};
    std::atomic<int> events{0};
    static void Notify(void* context, uint32_t, uintptr_t, intptr_t) {
        auto* self = static_cast<ReentrantReceiver*>(context);
        Zarn9100GetConnectStatus(self->handle.load());
        uint32_t value = 0;
        Zarn9100QueryChannel(self->handle.load(), &value);
        ++self->events;
    }
};

TEST_F(SimulatedCardTest, ConcurrentCallsCardRemovalAndClose) {
    ReentrantReceiver receiver;
    receiver.handle = h;
    ZARN9100_EVENT_SINK sink{&ReentrantReceiver::Notify, &receiver};
    ASSERT_EQ(Zarn9100Initialize(&sink), 0);

    std::atomic<bool> stop{false};
    auto supervisor = [&] {
        while (!stop) {
            ZARN9100_HANDLE local = nullptr;
            if (Zarn9100OpenAdapter(&local) != 0) continue;
            Zarn9100SetAuthMode(local, 0);
            Zarn9100SetWepStatus(local, 1);
            Zarn9100SetSsid(local, "Orvix-Open-G", 12, 0);
            Zarn9100SetSsid(local, "Lobby-11b", 9, 0);
            Zarn9100CloseAdapter(&local);
        }
    };
    auto page = [&] {
        std::vector<uint8_t> buffer(ZARN9100_SCAN_BUFFER_SIZE);
        while (!stop) {
            ZARN9100_HANDLE shared = receiver.handle.load();
            Zarn9100QueryScanList(shared, buffer.data(), uint32_t(buffer.size()));
            _NDIS_802_11_STATISTICS stats{};
            Zarn9100QueryStatistics(shared, &stats);
            int32_t rssi = 0;
            Zarn9100QueryRssi(shared, &rssi);
            Zarn9100Scan(shared);
        }
    };
    auto world = [&] {
        for (int i = 0; i < 200; ++i) {
            TembrelSimAdvance(700);
            Control(i % 2 == 0 ? R"(["card","out"])" : R"(["card","in"])");
            Control(i % 3 == 0 ? R"(["radio-switch","off"])" : R"(["radio-switch","on"])");
            // Re-open the shared handle, closing the old one while the page may be using it.
            ZARN9100_HANDLE fresh = nullptr;
            Zarn9100OpenAdapter(&fresh);
            ZARN9100_HANDLE old = receiver.handle.exchange(fresh);
            Zarn9100CloseAdapter(&old);
        }
        stop = true;
    };
    std::thread a(supervisor), b(page), c(world);
    a.join();
    b.join();
    c.join();
    // Every event of the run reaches this receiver before it is replaced (a loaded machine may
    // still hold many in the queue).
    ASSERT_EQ(TembrelSimFlushEvents(10000), 0);
    // Hand the events back to the fixture's recorder; the flush waits out a delivery to the
    // receiver that may still be running, so that the receiver can go.
    ZARN9100_EVENT_SINK recorder = events.sink();
    ASSERT_EQ(Zarn9100Initialize(&recorder), 0);
    ASSERT_EQ(TembrelSimFlushEvents(10000), 0);
    EXPECT_GT(receiver.events.load(), 40);
    ZARN9100_HANDLE last = receiver.handle.exchange(nullptr);
    Zarn9100CloseAdapter(&last);
    Control(R"(["card","in"])");
    Control(R"(["radio-switch","on"])");
    ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    EXPECT_EQ(connectOpen("Orvix-Open-G"), 0) << "the card still works";
}

// A receiver that holds the event thread inside its call until released, and notes whether the
// receiver had already been replaced by the time it returned.
struct HeldReceiver {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool released = false;
    bool returned = false;
    std::atomic<bool> replaced{false};
    std::atomic<bool> calledAfterReplacement{false};

    void hold() {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
        if (replaced) calledAfterReplacement = true;
        returned = true;
        changed.notify_all();
    }
    static void Notify(void* context, uint32_t, uintptr_t, intptr_t) { static_cast<HeldReceiver*>(context)->hold(); }
    static void DeviceNotify(void* context, uint32_t, const char*) { static_cast<HeldReceiver*>(context)->hold(); }
};

struct ReplacementCase {
    const char* name;
    std::function<void(HeldReceiver&)> install;
    const char* trigger;  // a control command that makes the library call the receiver, or null
    std::function<void()> replace;
};

// Once the registration returns, the program destroys the old receiver: a delivery that was
// under way must have finished by then.
TEST_F(SimulatedCardTest, ReplacingTheReceiverWaitsForTheDeliveryUnderWay) {
    const ReplacementCase cases[] = {
        {"event sink",
         [](HeldReceiver& r) {
             ZARN9100_EVENT_SINK sink{&HeldReceiver::Notify, &r};
             ASSERT_EQ(Zarn9100Initialize(&sink), 0);
         },
         nullptr, [] { Zarn9100Initialize(nullptr); }},
        {"device notify", [](HeldReceiver& r) { ASSERT_EQ(TembrelSetDeviceNotify(&HeldReceiver::DeviceNotify, &r), 0); },
         R"(["card","out"])", [] { TembrelSetDeviceNotify(nullptr, nullptr); }},
    };
    for (const ReplacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        flush();
        HeldReceiver receiver;
        c.install(receiver);
        if (c.trigger)
            Control(c.trigger);
        else
            connectOpen("Orvix-Open-G");
        {
            std::unique_lock lock(receiver.mutex);
            ASSERT_TRUE(receiver.changed.wait_for(lock, std::chrono::seconds(10), [&] { return receiver.entered; }));
        }
        std::thread replacer([&] {
            c.replace();
            receiver.replaced = true;
        });
        // Gives a replacement that does not wait the time to return while the receiver is still
        // held; a correct one cannot return before the release, however long this is.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        {
            std::lock_guard lock(receiver.mutex);
            receiver.released = true;
        }
        receiver.changed.notify_all();
        replacer.join();
        {
            std::unique_lock lock(receiver.mutex);
            ASSERT_TRUE(receiver.changed.wait_for(lock, std::chrono::seconds(10), [&] { return receiver.returned; }));
        }
        EXPECT_FALSE(receiver.calledAfterReplacement);
        flush();
        Control(R"(["card","in"])");
        ZARN9100_EVENT_SINK sink = events.sink();
        ASSERT_EQ(Zarn9100Initialize(&sink), 0);
        ASSERT_EQ(TembrelSetDeviceNotify(&EventRecorder::DeviceNotify, &events), 0);
        Zarn9100CloseAdapter(&h);
        ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    }
}

}  // namespace
}  // namespace tembrel::testing
