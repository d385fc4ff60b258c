// The Profile Manager page fills its list while the join worker or the supervisor puts a profile in
// use, which sets that profile's prefer-list flag: the page's rows must not race with it.
#include "pages/profiles/logic/ProfileManagerRules.h"
#include "tests/connection/ConnectorFixture.h"
#include "tests/support/WaitUntil.h"
#include "ui/logic/ResponsiveWait.h"

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <thread>

namespace tembrel::testing {
namespace {

TEST_F(ConnectorTest, ListRowsDoNotRaceWithPuttingAProfileInUse) {
    auto a = MakeProfile("A", "NetA", 1);
    auto b = MakeProfile("B", "NetB", 1);
    a->inPreferList = 0;
    b->inPreferList = 0;
    profiles.Append(a);
    profiles.Append(b);
    constexpr int kRounds = 200;

    // Relaxed: the counters must not order the two threads' accesses to the records, or the
    // race would hide from ThreadSanitizer. Each side runs until it overlapped the other enough.
    std::atomic<int> refills{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < kRounds || refills.load(std::memory_order_relaxed) < kRounds; ++i) {
            connector.SetProfileInUse(i % 2 ? a : b);
            profile_manager::SetAllPreferred(profiles, false);
        }
        connector.SetProfileInUse(a);
        done.store(true, std::memory_order_relaxed);
    });
    while (!done.load(std::memory_order_relaxed)) {
        for (const auto& row : profile_manager::ListRows(profiles)) {
            const std::string_view name = ProfileName(row.fields);
            ASSERT_TRUE(name == "A" || name == "B") << name;
            ASSERT_LE(row.fields.inPreferList, 1u);
        }
        refills.fetch_add(1, std::memory_order_relaxed);
    }
    worker.join();

    // The rows follow the list's order and flags once the worker is done.
    const auto rows = profile_manager::ListRows(profiles);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].record, a);
    EXPECT_EQ(rows[0].fields.inPreferList, 1u);
    EXPECT_EQ(rows[1].fields.inPreferList, 0u);
}

// A join as the page runs it: ConnectProfile on the join worker while the window goes on handling
// events, here refilling the list until the join's SetSsid has seen three refills.
TEST_F(ConnectorTest, ListRowsRefillWhileTheJoinWorkerConnects) {
    testing_support::EnsureApplication();
    auto a = MakeProfile("A", "NetA", 1);
    auto b = MakeProfile("B", "NetB", 1);
    a->inPreferList = 0;
    profiles.Append(b);
    profiles.Append(a);
    std::atomic<int> refills{0};
    QTimer refill;
    refill.setInterval(0);
    QObject::connect(&refill, &QTimer::timeout, [&] {
        for (const auto& row : profile_manager::ListRows(profiles)) EXPECT_LE(row.fields.inPreferList, 1u);
        ++refills;
    });
    refill.start();
    bool sawRefills = false;
    driver.setHook("SetSsid", [&](const RecordedCall&) { sawRefills = PollUntil([&] { return refills.load() >= 3; }); });

    ui::RunWhileResponsive([&] { return connector.ConnectProfile(a); });
    refill.stop();

    EXPECT_TRUE(sawRefills);
    const auto rows = profile_manager::ListRows(profiles);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].record, a);  // the profile put in use leads its group
    EXPECT_EQ(rows[0].fields.inPreferList, 1u);
    const auto sent = calls();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "SetSsid(h, \"NetA\", 4, 0)"), sent.end());
}

}  // namespace
}  // namespace tembrel::testing
