#include "pages/monitoring/logic/Throughput.h"

#include <gtest/gtest.h>

namespace tembrel::monitoring {
namespace {

TEST(MulDiv, RoundsToNearest) {
    const struct {
        uint32_t number, numerator, denominator, result;
    } rows[] = {{1, 8000, 3, 2667},        {1, 8000, 16000, 1},  {1, 8000, 16001, 0},   {125, 8000, 1000, 1000},
                {0, 8000, 1000, 0},        {1000, 8000, 0, 0xFFFFFFFF},
                {0xFFFFFFFF, 8000, 1, 0xFFFFFFFF},  // does not fit: saturates
                {0xFFFFFFFF, 8000, 1000, 0xFFFFFFFF}, {0x80000000, 8000, 16000, 0x40000000}};
    for (const auto& row : rows) {
        EXPECT_EQ(mulDivRounded(row.number, row.numerator, row.denominator), row.result)
            << row.number << " * " << row.numerator << " / " << row.denominator;
    }
}

TEST(ThroughputMeter, FirstReadingStartsTheBaseline) {
    ThroughputMeter meter;
    EXPECT_FALSE(meter.measure(1000, 500, 700));
    const auto rates = meter.measure(2000, 500 + 125, 700 + 1250);
    ASSERT_TRUE(rates);
    EXPECT_EQ(rates->tx, 1000u);
    EXPECT_EQ(rates->rx, 10000u);
}

TEST(ThroughputMeter, SameTickGivesNoRates) {
    ThroughputMeter meter;
    meter.measure(5000, 0, 0);
    EXPECT_FALSE(meter.measure(5000, 100, 100));
    const auto rates = meter.measure(6000, 1000, 2000);
    ASSERT_TRUE(rates);
    EXPECT_EQ(rates->tx, 8000u);  // measured from the baseline, not from the skipped reading
    EXPECT_EQ(rates->rx, 16000u);
}

TEST(ThroughputMeter, CountersAndTickCountAcrossA32BitWrap) {
    ThroughputMeter meter;
    meter.measure(0xFFFFFE0C, 0xFFFFFF00, 0xFFFFFFF0);  // 500 ms before the tick count wraps
    const auto rates = meter.measure(500, 0x100, 0x10);  // 1000 ms later; 512 and 32 octets later
    ASSERT_TRUE(rates);
    EXPECT_EQ(rates->tx, 4096u);
    EXPECT_EQ(rates->rx, 256u);
}

TEST(ThroughputMeter, ZeroCountersStillMeasure) {
    // An interface that never sent a byte still shows its receive rate.
    ThroughputMeter meter;
    EXPECT_FALSE(meter.measure(0, 0, 0));
    const auto rates = meter.measure(1000, 0, 1000);
    ASSERT_TRUE(rates);
    EXPECT_EQ(rates->tx, 0u);
    EXPECT_EQ(rates->rx, 8000u);
    meter.clearBaseline();
    EXPECT_FALSE(meter.measure(2000, 0, 5000));
}

TEST(ThroughputHistory, PeakLeavesAfterSixtyRecords) {
    ThroughputHistory history;
    Rates peak = history.record({100000, 5});
    EXPECT_EQ(peak.tx, 100000u);
    EXPECT_EQ(peak.rx, 5u);
    for (int i = 1; i < 60; ++i) {
        peak = history.record({10, 1});
        EXPECT_EQ(peak.tx, 100000u) << i;
    }
    EXPECT_EQ(history.count(), 60u);
    peak = history.record({10, 1});  // overwrites the first record
    EXPECT_EQ(peak.tx, 10u);
    EXPECT_EQ(peak.rx, 1u);
    EXPECT_EQ(history.count(), 60u);
}

TEST(GraphScale, FollowsThePeakWithAFloor) {
    GraphScale scale;
    EXPECT_EQ(scale.peak(), 1000u);
    EXPECT_FALSE(scale.update(1000));  // unchanged peak
    EXPECT_FALSE(scale.update(0));     // nothing measured
    auto change = scale.update(100000);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->fullScale, 120000u);
    EXPECT_EQ(change->labels.top, "120.0 Kbps");
    EXPECT_EQ(change->labels.middle, "60.0 Kbps");
    EXPECT_EQ(scale.peak(), 100000u);  // the peak is stored, not the scale
    EXPECT_FALSE(scale.update(100000));
    change = scale.update(10);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->fullScale, 200u);
    EXPECT_EQ(change->labels.top, "200 bps");
    EXPECT_EQ(change->labels.middle, "100 bps");
    change = scale.update(0xFFFFFFFF);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->fullScale, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tembrel::monitoring
