#include "pages/monitoring/logic/LinkSamples.h"
#include "pages/monitoring/logic/MonitorFormat.h"

#include <gtest/gtest.h>

namespace tembrel::monitoring {
namespace {

TEST(MonitorFormat, LinkSpeedBoundaries) {
    const struct {
        uint32_t speed100bps;
        const char* text;
    } rows[] = {{110000, "11 Mbps"}, {55000, "5.5 Mbps"}, {540000, "54 Mbps"}, {10000, "1 Mbps"},
                {20000, "2 Mbps"},   {60000, "6 Mbps"},   {0, "0 Mbps"},         {65000, "6.5 Mbps"},
                {1080000, "108 Mbps"}};
    for (const auto& row : rows) {
        EXPECT_EQ(formatLinkSpeed(row.speed100bps), row.text) << row.speed100bps;
    }
}

TEST(MonitorFormat, RateBoundaries) {
    const struct {
        uint32_t rate;
        const char* tx;
    } rows[] = {{0, "Current Tx Rate: 0 bps"},           {999, "Current Tx Rate: 999 bps"},
                {1000, "Current Tx Rate: 1.0 Kbps"},     {1050, "Current Tx Rate: 1.1 Kbps"},
                {999999, "Current Tx Rate: 1000.0 Kbps"}, {1000000, "Current Tx Rate: 1.0 Mbps"},
                {54000000, "Current Tx Rate: 54.0 Mbps"}};
    for (const auto& row : rows) {
        EXPECT_EQ(formatRate(kTxRatePrefix, row.rate), row.tx) << row.rate;
    }
    EXPECT_EQ(formatRate(kRxRatePrefix, 1000), "Current Rx Rate: 1.0 Kbps");
}

TEST(MonitorFormat, ScaleLabels) {
    const struct {
        uint32_t fullScale;
        const char* top;
        const char* middle;
    } rows[] = {{120000, "120.0 Kbps", "60.0 Kbps"}, {200, "200 bps", "100 bps"},   {999, "999 bps", "499 bps"},
                {1000, "1.0 Kbps", "500 bps"},       {1999, "2.0 Kbps", "999 bps"}, {2000, "2.0 Kbps", "1.0 Kbps"},
                {1000000, "1.0 Mbps", "500.0 Kbps"}, {1999998, "2.0 Mbps", "1000.0 Kbps"},
                {2000000, "2.0 Mbps", "1.0 Mbps"}};
    for (const auto& row : rows) {
        const auto labels = scaleLabels(row.fullScale);
        EXPECT_EQ(labels.top, row.top) << row.fullScale;
        EXPECT_EQ(labels.middle, row.middle) << row.fullScale;
    }
    EXPECT_EQ(initialScaleLabels().top, "1 Kbps");
    EXPECT_EQ(initialScaleLabels().middle, "500 bps");
}

TEST(MonitorFormat, GraphDescriptionIsTheFigureAndTheScale) {
    const struct {
        const char* rateText;
        const char* scaleTop;
        const char* description;
    } rows[] = {{"Current Tx Rate: 12.0 Kbps", "20.0 Kbps", "12.0 Kbps, scale 20.0 Kbps"},
                {"Current Tx Rate:", "1 Kbps", "0 bps, scale 1 Kbps"},  // not connected: no figure shown
                {"", "", "0 bps"},
                {"Current Tx Rate: 999 bps", "", "999 bps"}};
    for (const auto& row : rows) {
        EXPECT_EQ(graphDescription(row.rateText, kTxRatePrefix, row.scaleTop), row.description) << row.rateText;
    }
}

TEST(MonitorFormat, SecurityTexts) {
    const struct {
        uint32_t status;
        const char* text;
    } rows[] = {{0, "WEP"},  {1, "Security Off"},     {2, "WEP - Key Absent"}, {3, "Security Off"},
                {4, "TKIP"}, {5, "TKIP - Key Absent"}, {6, "AES"},             {7, "AES - Key Absent"},
                {8, "Security Off"}, {0xFFFFFFFF, "Security Off"}};
    for (const auto& row : rows) {
        EXPECT_EQ(securityText(row.status), row.text) << row.status;
    }
}

TEST(MonitorFormat, LinkFieldTexts) {
    EXPECT_EQ(networkTypeText(0), "Ad-Hoc");
    EXPECT_EQ(networkTypeText(1), "Infrastructure");
    EXPECT_EQ(networkTypeText(2), "Unknown");
    EXPECT_EQ(bssidText({0x00, 0x0A, 0xB0, 0xFF, 0x12, 0x3c}), "00 0A B0 FF 12 3C");
    EXPECT_EQ(channelCaption(6, 2437), "Channel 6 (2.437 GHz)");
    EXPECT_EQ(channelCaption(149, 5745), "Channel 149 (5.745 GHz)");
    EXPECT_EQ(signalPercentText(40), "100 %");
    EXPECT_EQ(signalPercentText(20), " 50 %");
    EXPECT_EQ(signalPercentText(4), " 10 %");
}

TEST(LinkSpeedRing, PeakOfTheLastFiveReadings) {
    LinkSpeedRing ring(0);
    EXPECT_EQ(ring.add(540000), 540000u);
    for (int second = 1; second <= 4; ++second) {
        EXPECT_EQ(ring.add(110000), 540000u) << second;
    }
    EXPECT_EQ(ring.add(110000), 110000u);
    ring.reset();
    EXPECT_EQ(ring.add(20000), 20000u);
}

TEST(LinkSpeedRing, RefreshRatePSShowsEachReading) {
    LinkSpeedRing ring(1);
    EXPECT_EQ(ring.add(540000), 540000u);
    EXPECT_EQ(ring.add(110000), 110000u);
}

TEST(SignalAverager, MeanRoundedUpAndBounded) {
    SignalAverager signal;
    EXPECT_EQ(signal.level(), 0u);  // no reading yet: no division by zero
    signal.add(-80);                 // 16
    signal.add(-79);                 // 17
    EXPECT_EQ(signal.level(), 17u);  // 16.5 rounded up
    EXPECT_EQ(signal.sampleCount(), 2u);

    SignalAverager strong;
    strong.add(-20);
    EXPECT_EQ(strong.level(), 40u);

    SignalAverager weak;
    weak.add(-110);  // below -96: an empty bar, not a full one
    EXPECT_EQ(weak.level(), 0u);

    SignalAverager wild;
    wild.add(INT32_MIN);
    wild.add(INT32_MAX);
    EXPECT_LE(wild.level(), 40u);
}

TEST(SignalAverager, TenSampleWindow) {
    SignalAverager signal;
    for (int i = 0; i < 10; ++i) {
        signal.add(-96);  // level 0
    }
    signal.add(-66);  // 30 replaces the oldest 0
    EXPECT_EQ(signal.sampleCount(), 10u);
    EXPECT_EQ(signal.level(), 3u);
    for (int i = 0; i < 9; ++i) {
        signal.add(-66);
    }
    EXPECT_EQ(signal.level(), 30u);
    signal.reset();
    EXPECT_EQ(signal.sampleCount(), 0u);
    EXPECT_EQ(signal.level(), 0u);
}

TEST(SignalBar, CurveIsMonotonicFromEmptyToFull) {
    EXPECT_EQ(signalBarPosition(0), 0);
    EXPECT_EQ(signalBarPosition(4), 10);
    EXPECT_EQ(signalBarPosition(10), 25);
    EXPECT_EQ(signalBarPosition(40), 40);
    EXPECT_EQ(signalBarPosition(1000), 40);
    int previous = 0;
    for (uint32_t level = 0; level <= 40; ++level) {
        const int position = signalBarPosition(level);
        EXPECT_GE(position, previous) << level;
        EXPECT_LE(position, kSignalBarMaximum);
        previous = position;
    }
}

}  // namespace
}  // namespace tembrel::monitoring
