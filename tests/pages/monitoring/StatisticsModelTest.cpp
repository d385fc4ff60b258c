// The statistics page's logic on the recording driver: the values each layout shows, the
// detailed layout's counters since Reset on drivers that do and do not clear their counters,
// and the order of the driver calls.
#include "pages/monitoring/logic/MainPageModel.h"
#include "pages/monitoring/logic/StatisticsModel.h"
#include "tests/support/RecordingDriver.h"

#include <gtest/gtest.h>

namespace tembrel::monitoring {
namespace {

using testing::RecordingDriver;

class StatisticsModelTest : public ::testing::Test {
protected:
    StatisticsModelTest() { open(); }

    void open() {
        handle.exclusive([&](ZARN9100_HANDLE* h) {
            *h = driver.adapterHandle();
            return 0;
        });
    }
    void close() {
        handle.exclusive([](ZARN9100_HANDLE* h) {
            *h = nullptr;
            return 0;
        });
    }
    CardAccess card() {
        return CardAccess{driver, handle, [this] { return link; }};
    }
    void setStatistics() { driver.setOutRecord("QueryStatistics", stats); }
    void connect(uint32_t wlanMode = 0) {
        link.connected = 1;
        link.currentWlanMode = wlanMode;
    }

    RecordingDriver driver;
    AdapterHandle handle;
    ConnectionSnapshot link;
    _NDIS_802_11_STATISTICS stats{};
};

TEST(StatisticsFormat, CountersUseAllSixtyFourBits) {
    EXPECT_EQ(formatCounter(0), "0");
    EXPECT_EQ(formatCounter(4294967296LL), "4294967296");
    EXPECT_EQ(formatCounter(INT64_MAX), "9223372036854775807");
    EXPECT_EQ(formatCounter(-5), "0") << "a negative counter from a faulty driver";
    // Formed in 64 bits: no wrap at 2^32.
    EXPECT_EQ(formatCounterSum(4294967295LL, 2), "4294967297");
    EXPECT_EQ(formatCounterSum(-1, 7), "7");
}

TEST(SinceResetTest, RowsOfCurrentValuesAgainstABaseline) {
    struct Row {
        int64_t baseline;
        std::vector<int64_t> currents;
        std::vector<int64_t> shown;
        int64_t baselineAfter;
        std::vector<bool> read = {};  // per step; empty: every query succeeded
    } rows[] = {
        {0, {0, 5, 9}, {0, 5, 9}, 0},
        {100, {100, 130, 250}, {0, 30, 150}, 100},  // the driver keeps counting
        {100, {3, 40, 150}, {3, 40, 150}, 0},       // the driver cleared: no drop once it passes 100
        {100, {-1}, {0}, 0},
        {100, {130, 0, 150}, {30, 0, 50}, 100, {true, false, true}},  // one failed query's zeros
    };
    for (const Row& row : rows) {
        SinceReset counter;
        counter.setBaseline(row.baseline);
        for (size_t i = 0; i < row.currents.size(); ++i)
            EXPECT_EQ(counter.shown(row.currents[i], row.read.empty() || row.read[i]), row.shown[i])
                << row.baseline << " step " << i;
        EXPECT_EQ(counter.baseline(), row.baselineAfter);
    }
}

TEST_F(StatisticsModelTest, StandardLayoutFillsItsTablesWhileConnected) {
    stats.TransmittedFragmentCount = 4294967295LL;
    stats.MulticastTransmittedFrameCount = 2;
    stats.FailedCount = 3;
    stats.RetryCount = 4;
    stats.MultipleRetryCount = 5;
    stats.RTSSuccessCount = 6;
    stats.RTSFailureCount = 7;
    stats.ACKFailureCount = 8;
    stats.FrameDuplicateCount = 9;
    stats.ReceivedFragmentCount = 10;
    stats.MulticastReceivedFrameCount = 11;
    setStatistics();
    driver.setOutRecord("QueryBeaconStatistics", _BEACON_STATS{977, 12});
    driver.setOutI32("QueryRssi", -66);
    connect(1);

    StandardStatisticsModel model(card());
    model.activate();
    model.update();
    const TableValues transmit{{"4294967297", "3"}, {"4294967295", "6"}, {"2", "7"}, {"4", "8"}, {"5", ""}};
    const TableValues receive{{"21", "9"}, {"10", "977"}, {"11", "12"}};
    EXPECT_EQ(model.transmit(), transmit);
    EXPECT_EQ(model.receive(), receive);
    EXPECT_EQ(model.signalBar(), signalBarPosition(30));
    EXPECT_EQ(model.linkIcon(), kIconBandB);
    EXPECT_EQ(driver.callNames(), (std::vector<std::string>{"QueryRssi", "QueryStatistics", "QueryBeaconStatistics"}));
}

TEST_F(StatisticsModelTest, StandardLayoutLinkIconFollowsTheBand) {
    const std::pair<uint32_t, int> rows[] = {{0, kIconBandG}, {1, kIconBandB}, {2, kIconBandA}, {7, kIconBandG}};
    for (const auto& [mode, icon] : rows) {
        connect(mode);
        StandardStatisticsModel model(card());
        model.update();
        EXPECT_EQ(model.linkIcon(), icon) << mode;
    }
}

TEST_F(StatisticsModelTest, StandardLayoutWithTheLinkDownDropsTheBarAndKeepsTheTables) {
    stats.TransmittedFragmentCount = 40;
    setStatistics();
    driver.setOutI32("QueryRssi", -56);
    connect();
    StandardStatisticsModel model(card());
    model.update();
    ASSERT_EQ(model.transmit()[1][0], "40");
    ASSERT_GT(model.signalBar(), 0);

    link.connected = 0;
    driver.clearCalls();
    model.update();
    EXPECT_EQ(model.signalBar(), 0);
    EXPECT_EQ(model.linkIcon(), kIconNoLink);
    EXPECT_EQ(model.sampleCount(), 0u);
    EXPECT_EQ(model.transmit()[1][0], "40");
    EXPECT_TRUE(driver.calls().empty());

    connect();
    close();
    model.update();
    EXPECT_EQ(model.linkIcon(), kIconNoLink) << "no card";
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(StatisticsModelTest, StandardLayoutPausedReadsNothing) {
    connect();
    StandardStatisticsModel model(card());
    model.setPaused(true);
    model.update();
    EXPECT_TRUE(driver.calls().empty());
    model.activate();
    EXPECT_FALSE(model.paused()) << "showing the page resumes";
    model.update();
    EXPECT_EQ(driver.count("QueryStatistics"), 1u);
}

TEST_F(StatisticsModelTest, DetailedLayoutQueriesInOrderAndShowsRssiRanges) {
    driver.setOutRecord("QueryRssiStat", _RSSI_STATS{{1, 2, 3, 4}});
    driver.setOutRecord("QueryBeaconStatistics", _BEACON_STATS{50, 6});
    stats.FrameDuplicateCount = 7;
    setStatistics();
    DetailedStatisticsModel model(card());
    model.update();
    EXPECT_EQ(driver.callNames(),
              (std::vector<std::string>{"QueryRssiStat", "QueryStatistics", "QueryBeaconStatistics"}));
    EXPECT_EQ(model.rssi(), (TableValues{{"1", "3"}, {"2", "4"}}));
    EXPECT_EQ(model.receive()[2][1], "50");
    EXPECT_EQ(model.receive()[3], (std::array<std::string, 2>{"7", "6"}));
}

TEST_F(StatisticsModelTest, DetailedLayoutWithoutCardShowsZerosAndResetDoesNothing) {
    stats.RetryCount = 9;
    setStatistics();
    close();
    DetailedStatisticsModel model(card());
    model.update();
    EXPECT_EQ(model.transmit()[3][0], "0");
    EXPECT_EQ(model.rssi()[0][0], "0");
    model.reset();
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(StatisticsModelTest, FcsPerSecondIsTheGainSinceTheLastUpdate) {
    DetailedStatisticsModel model(card());
    model.activate();
    const std::pair<int64_t, std::string> steps[] = {{120, "120"}, {125, "5"}, {125, "0"}, {90, "0"}, {95, "5"}};
    for (const auto& [fcs, perSecond] : steps) {
        stats.FCSErrorCount = fcs;
        setStatistics();
        model.update();
        EXPECT_EQ(model.receive()[0][1], std::to_string(fcs));
        EXPECT_EQ(model.receive()[1][1], perSecond) << fcs;
    }
    model.activate();
    model.update();
    EXPECT_EQ(model.receive()[1][1], "95") << "the first update after showing the page shows the whole count";
}

// Reset on a driver that clears its counters and on one that does not: the shown counts are
// those gained since Reset and never drop.
TEST_F(StatisticsModelTest, ResetBaselinesOnDriversThatDoAndDoNotClear) {
    for (const bool clears : {true, false}) {
        SCOPED_TRACE(clears ? "driver clears" : "driver keeps its counters");
        driver.clearCalls();
        stats = {};
        stats.RetryCount = 1000;
        stats.MultipleRetryCount = 300;
        stats.FailedCount = 20;
        stats.ACKFailureCount = 40;
        stats.RTSSuccessCount = 500;
        stats.RTSFailureCount = 6;
        stats.TransmittedFragmentCount = 9000;
        setStatistics();
        driver.setHook("ResetStatistics", [&](const testing::RecordedCall&) {
            if (clears) driver.setOutRecord("QueryStatistics", _NDIS_802_11_STATISTICS{});
        });
        DetailedStatisticsModel model(card());
        model.update();
        EXPECT_EQ(model.transmit()[3][0], "1000") << "no baseline before the first Reset";

        driver.clearCalls();
        model.reset();
        EXPECT_EQ(driver.callNames(), (std::vector<std::string>{"QueryStatistics", "ResetStatistics", "QueryRssiStat",
                                                                "QueryStatistics", "QueryBeaconStatistics"}));
        EXPECT_EQ(model.transmit(), (TableValues{{clears ? "0" : "9000", "0"},
                                                 {clears ? "0" : "9000", "0"},
                                                 {"0", "0"},
                                                 {"0", "0"},
                                                 {"0", ""}}));

        // Traffic after Reset: 1,500 more retries (past the old baseline), and so on.
        const int64_t start = clears ? 0 : 1;
        stats.RetryCount = (start * 1000) + 1500;
        stats.MultipleRetryCount = (start * 300) + 10;
        stats.FailedCount = (start * 20) + 1;
        stats.ACKFailureCount = (start * 40) + 2;
        stats.RTSSuccessCount = (start * 500) + 600;
        stats.RTSFailureCount = (start * 6) + 3;
        setStatistics();
        model.update();
        EXPECT_EQ(model.transmit()[3][0], "1500");
        EXPECT_EQ(model.transmit()[4][0], "10");
        EXPECT_EQ(model.transmit()[0][1], "1");
        EXPECT_EQ(model.transmit()[3][1], "2");
        EXPECT_EQ(model.transmit()[1][1], "600");
        EXPECT_EQ(model.transmit()[2][1], "3");
        EXPECT_EQ(model.baseline(DetailedStatisticsModel::kRetries), clears ? 0 : 1000);

        // One failed query reads zeros; the next good one still counts from the baseline.
        driver.setResult("QueryStatistics", 6);
        driver.setOutRecord("QueryStatistics", _NDIS_802_11_STATISTICS{});
        model.update();
        EXPECT_EQ(model.transmit()[3][0], "0");
        driver.setResult("QueryStatistics", 0);
        setStatistics();
        model.update();
        EXPECT_EQ(model.transmit()[3][0], "1500");
        driver.setHook("ResetStatistics", nullptr);
    }
}

}  // namespace
}  // namespace tembrel::monitoring
