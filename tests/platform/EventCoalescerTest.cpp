#include "platform/EventCoalescer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace tembrel {
namespace {

using E = QueuedLibraryEvent;

struct Row {
    const char* label;
    std::vector<E> pushed;
    std::vector<E> delivered;
};

TEST(EventCoalescer, RepeatedWaitingEventsAreDeliveredOnceAtTheirLaterPlace) {
    const Row rows[] = {
        {"distinct events keep their order", {{1, 0, ""}, {0, 0, ""}, {6, 0, ""}}, {{1, 0, ""}, {0, 0, ""}, {6, 0, ""}}},
        {"a link flapping ends with its last state", {{1, 0, ""}, {0, 0, ""}, {1, 0, ""}}, {{0, 0, ""}, {1, 0, ""}}},
        {"a storm of four codes", {{1, 0, ""}, {0, 0, ""}, {6, 0, ""}, {77, 0, ""}, {1, 0, ""}, {0, 0, ""}, {6, 0, ""},
                                   {77, 0, ""}},
         {{1, 0, ""}, {0, 0, ""}, {6, 0, ""}, {77, 0, ""}}},
        {"another parameter is another event", {{1, 5, ""}, {1, 6, ""}}, {{1, 5, ""}, {1, 6, ""}}},
        {"another status text is another event", {{1012, 0, "Scanning"}, {1012, 0, "Done"}, {1012, 0, "Scanning"}},
         {{1012, 0, "Done"}, {1012, 0, "Scanning"}}},
    };
    for (const Row& row : rows) {
        EventCoalescer queue;
        std::size_t schedules = 0;
        for (const E& e : row.pushed) schedules += queue.push(e) ? 1 : 0;
        EXPECT_EQ(schedules, 1u) << row.label;
        EXPECT_EQ(queue.take(), row.delivered) << row.label;
        EXPECT_EQ(queue.coalesced(), row.pushed.size() - row.delivered.size()) << row.label;
        EXPECT_TRUE(queue.take().empty()) << row.label;
        EXPECT_TRUE(queue.push({3, 0, ""})) << row.label << ": a push after a take schedules again";
    }
}

TEST(EventCoalescer, WaitingEventsAreBoundedOldestFirst) {
    EventCoalescer queue;
    for (uintptr_t code = 0; code < EventCoalescer::kMaxWaiting + 10; ++code) queue.push({code, 0, ""});
    const auto delivered = queue.take();
    ASSERT_EQ(delivered.size(), EventCoalescer::kMaxWaiting);
    EXPECT_EQ(delivered.front().code, 10u);
    EXPECT_EQ(delivered.back().code, EventCoalescer::kMaxWaiting + 9);
    EXPECT_EQ(queue.coalesced(), 10u);
}

// The library's thread pushes while the user-interface thread takes: every distinct event pushed
// last is delivered, and exactly one delivery is scheduled per empty-to-waiting change.
TEST(EventCoalescer, PushAndTakeFromTwoThreads) {
    // On the heap, as in the event bridge (a queue on the test's stack sits where the earlier
    // tests' queues and their mutexes were).
    auto shared = std::make_unique<EventCoalescer>();
    EventCoalescer& queue = *shared;
    constexpr int kEvents = 20000;
    std::atomic<int> schedules{0};
    std::thread library([&] {
        for (int i = 0; i < kEvents; ++i) schedules += queue.push({static_cast<uintptr_t>(i % 4), 0, ""}) ? 1 : 0;
        schedules += queue.push({99, 0, ""}) ? 1 : 0;
    });
    std::vector<E> seen;
    int takes = 0;
    while (seen.empty() || seen.back().code != 99) {
        auto batch = queue.take();
        if (!batch.empty()) ++takes;
        seen.insert(seen.end(), batch.begin(), batch.end());
        std::this_thread::yield();
    }
    library.join();
    EXPECT_TRUE(queue.take().empty());
    // Every delivery a push scheduled found something to deliver, and nothing was left behind.
    EXPECT_EQ(takes, schedules.load());
    EXPECT_LE(seen.size(), static_cast<std::size_t>(kEvents + 1));
}

}  // namespace
}  // namespace tembrel
