// The simulated card on the real clock: its thread has no fixed tick but sleeps until the
// next event the card reports by itself, so these events must still arrive on time while
// nobody calls the library. (The other tembrel tests step a manual clock.)
#include "SimFixture.h"

#include <algorithm>

namespace tembrel::testing {
namespace {

class RealClockTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        unsetenv("TEMBREL_SIM_CLOCK");
        setenv("TEMBREL_SIM_SOCKET", "none", 1);
        unsetenv("TEMBREL_SIM_ENVIRONMENT");
    }
    void SetUp() override {
        TembrelSimReset();
        ZARN9100_EVENT_SINK sink = events.sink();
        ASSERT_EQ(Zarn9100Initialize(&sink), 0);
        ASSERT_EQ(Zarn9100OpenAdapter(&h), 0);
    }
    void TearDown() override {
        Zarn9100CloseAdapter(&h);
        EXPECT_EQ(TembrelSimFlushEvents(10000), 0);
        Zarn9100Initialize(nullptr);
    }

    EventRecorder events;
    ZARN9100_HANDLE h = nullptr;
};

TEST_F(RealClockTest, ScanCompletesWithoutFurtherCalls) {
    ASSERT_EQ(Zarn9100Scan(h), 0);
    EXPECT_TRUE(events.waitFor(6));  // scan complete, about 1.2 s later
}

TEST_F(RealClockTest, LinkWhoseNetworkWentIsLostWithoutFurtherCalls) {
    Zarn9100SetNetworkMode(h, 1);
    Zarn9100SetAuthMode(h, 0);
    Zarn9100SetWepStatus(h, 1);
    ASSERT_EQ(Zarn9100SetSsid(h, "Lobby-11b", 9, 0), 0);
    ASSERT_EQ(Control(R"(["remove","Lobby-11b"])"), "removed Lobby-11b");
    EXPECT_TRUE(events.waitFor(4));  // link lost at the next drift step
}

TEST_F(RealClockTest, JumpingTheClockCompletesTheScanOnce) {
    ASSERT_EQ(Zarn9100Scan(h), 0);
    TembrelSimAdvance(60000);
    ASSERT_EQ(TembrelSimFlushEvents(10000), 0);
    const auto codes = events.codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), uintptr_t{6}), 1);
}

}  // namespace
}  // namespace tembrel::testing
