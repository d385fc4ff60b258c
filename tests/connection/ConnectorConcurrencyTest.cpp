// The user-interface thread and the supervisor apply profiles at the same time while the list
// is edited: applications must not interleave on the card, and nothing may race.
#include "tests/connection/ConnectorFixture.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tembrel::testing {
namespace {

constexpr size_t kCallsPerApplication = 14;  // scan, in-use, 4 security, mode, band, SSID, 5 settings

TEST_F(ConnectorTest, ConcurrentApplicationsDoNotInterleave) {
    auto a = MakeProfile("A", "NetA", 1);
    auto b = MakeProfile("B", "NetB", 1);
    profiles.Append(a);
    profiles.Append(b);
    constexpr int kRounds = 40;
    std::atomic<bool> done{false};

    std::thread editor([&] {
        int i = 0;
        while (!done.load()) {
            profiles.Edit([&](ProfileSequence&) {
                a->txRate = (i % 2) ? 108 : 22;
                b->txRate = (i % 2) ? 22 : 108;
            });
            auto extra = MakeProfile("X" + std::to_string(i), "Xnet", 0);
            profiles.Append(extra);
            profiles.Remove(extra.get());
            (void)connector.profileInUse();
            ++i;
        }
    });
    std::thread supervisor([&] {
        for (int i = 0; i < kRounds; ++i) connector.ConnectProfile(a);
    });
    for (int i = 0; i < kRounds; ++i) {
        connector.ConnectProfile(b);
        connector.SetProfileInUse(nullptr);
    }
    supervisor.join();
    done = true;
    editor.join();

    // Remove the page's own SetProfileInUse(null) calls; what remains must be whole applications.
    std::vector<std::string> got;
    for (const auto& c : calls())
        if (c != "SetProfileInUse(h, \" \", 1)") got.push_back(c);
    ASSERT_EQ(got.size(), 2 * kRounds * kCallsPerApplication);
    for (size_t start = 0; start < got.size(); start += kCallsPerApplication) {
        const bool isA = got[start] == SsidScanText("NetA", 1);
        ASSERT_TRUE(isA || got[start] == SsidScanText("NetB", 1)) << got[start];
        const std::string ssidCall = isA ? "SetSsid(h, \"NetA\", 4, 0)" : "SetSsid(h, \"NetB\", 4, 0)";
        EXPECT_EQ(got[start + 1], isA ? "SetProfileInUse(h, \"A\", 1)" : "SetProfileInUse(h, \"B\", 1)");
        EXPECT_EQ(got[start + 8], ssidCall);
        EXPECT_EQ(got[start + 13], "SetRTSThreshold(h, 2347)");
    }
    EXPECT_EQ(profiles.Count(), 2u);
}

}  // namespace
}  // namespace tembrel::testing
