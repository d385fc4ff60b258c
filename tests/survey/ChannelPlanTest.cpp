#include "survey/ChannelPlan.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace tembrel {
namespace {

using testing::BuildScanBuffer;
using testing::TestScanEntry;

struct FrequencyCase {
    uint32_t kHz;
    uint32_t channel;
};

class ChannelFromFrequencyTable : public ::testing::TestWithParam<FrequencyCase> {};

TEST_P(ChannelFromFrequencyTable, GivesTheChannel) {
    EXPECT_EQ(ChannelFromFrequency(GetParam().kHz), GetParam().channel) << GetParam().kHz << " kHz";
}

INSTANTIATE_TEST_SUITE_P(
    Plans, ChannelFromFrequencyTable,
    ::testing::Values(
        // 2.4 GHz: 5 MHz steps from channel 1, channel 14 on its own frequency.
        FrequencyCase{2412000, 1}, FrequencyCase{2412999, 1}, FrequencyCase{2437000, 6},
        FrequencyCase{2472000, 13}, FrequencyCase{2484000, 14}, FrequencyCase{2487000, 0},
        FrequencyCase{2482000, 0}, FrequencyCase{2411999, 0}, FrequencyCase{0, 0},
        FrequencyCase{4920000, 0}, FrequencyCase{5179999, 0},
        // 5 GHz table: 20 MHz = 4 channel numbers, the division before the multiplication.
        FrequencyCase{5180000, 36}, FrequencyCase{5200000, 40}, FrequencyCase{5219000, 40},
        FrequencyCase{5240000, 48}, FrequencyCase{5260000, 52}, FrequencyCase{5320000, 64},
        FrequencyCase{5700000, 140}, FrequencyCase{5745000, 149}, FrequencyCase{5825000, 165},
        FrequencyCase{5844999, 165},
        // Beyond the last channel of the plan: no channel, rather than a number no card uses.
        FrequencyCase{5845000, 0}, FrequencyCase{6000000, 0}, FrequencyCase{UINT32_MAX, 0}));

TEST(ChannelPlan, FrequencyOfEveryPlannedChannelGivesTheChannelBack) {
    std::vector<uint32_t> channels;
    for (uint32_t c = 1; c <= 14; ++c) channels.push_back(c);
    for (const auto& segment : kFiveGhzSegments)
        for (uint32_t i = 0; i < segment.channelCount; ++i) channels.push_back(segment.firstChannel + 4 * i);
    for (uint32_t c : channels) EXPECT_EQ(ChannelFromFrequency(FrequencyForChannelMHz(c) * 1000), c) << c;
}

TEST(ChannelPlan, NumbersNoChannelHasGiveNoFrequency) {
    EXPECT_EQ(FrequencyForChannelMHz(200), 6000u);
    EXPECT_EQ(FrequencyForChannelMHz(201), 0u);
    EXPECT_EQ(FrequencyForChannelMHz(0xFFFFFFFFu), 0u);
}

TEST(ChannelPlan, FilterUpperBoundComesFromTheTable) {
    EXPECT_EQ(kHighestFiveGhzChannel, 165u);
    EXPECT_EQ(ChannelFromFrequency(kFiveGhzSegments.back().firstFrequencyMHz * 1000 +
                                   20000 * (kFiveGhzSegments.back().channelCount - 1)),
              kHighestFiveGhzChannel);
}

struct BandCase {
    const char* name;
    uint32_t kHz;
    std::vector<uint8_t> rates;
    uint32_t band;
};

class ClassifyBandTable : public ::testing::TestWithParam<BandCase> {};

TEST_P(ClassifyBandTable, GivesTheBand) {
    TestScanEntry e;
    e.dsConfigKHz = GetParam().kHz;
    e.rates = GetParam().rates;
    const auto buffer = BuildScanBuffer({e});
    EXPECT_EQ(ClassifyBand(*EntryAt(buffer, 0)), GetParam().band);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ClassifyBandTable,
    ::testing::Values(
        BandCase{"Only11b", 2437000, {0x82, 0x84, 0x8B, 0x96}, kBand80211b},
        BandCase{"SixMbitAloneStays11b", 2437000, {0x82, 0x84, 0x8B, 0x96, 0x0C}, kBand80211b},
        BandCase{"NineMbitMakes11g", 2437000, {0x82, 0x84, 0x8B, 0x96, 0x12}, kBand80211g},
        BandCase{"BasicNineMbitMakes11g", 2437000, {0x82, 0x92}, kBand80211g},
        BandCase{"TwelveMbitMakes11g", 2437000, {0x82, 0x84, 0x8B, 0x96, 0x18}, kBand80211g},
        BandCase{"FiftyFourMbitMakes11g", 2437000, {0x6C}, kBand80211g},
        BandCase{"TerminatorStopsTheList", 2437000, {0x82, 0x00, 0x6C}, kBand80211b},
        BandCase{"BasicFlagAloneTerminates", 2437000, {0x82, 0x80, 0x6C}, kBand80211b},
        BandCase{"Bytes14And15AreNotExamined", 2437000,
                 {0x82, 0x84, 0x8B, 0x96, 0x82, 0x84, 0x8B, 0x96, 0x82, 0x84, 0x8B, 0x96, 0x82, 0x84, 0x6C, 0x6C},
                 kBand80211b},
        BandCase{"Byte13IsExamined", 2437000,
                 {0x82, 0x84, 0x8B, 0x96, 0x82, 0x84, 0x8B, 0x96, 0x82, 0x84, 0x8B, 0x96, 0x82, 0x6C},
                 kBand80211g},
        BandCase{"NoRatesIs11b", 2437000, {}, kBand80211b},
        BandCase{"AboveFiveGhzIs11aWhateverTheRates", 5180000, {0x82, 0x84}, kBand80211a},
        BandCase{"ExactlyFiveGhzIsNot11a", 5000000, {0x82, 0x84}, kBand80211b}),
    [](const auto& info) { return std::string(info.param.name); });

struct SignalCase {
    int32_t rssi;
    int percent;
};

class SignalPercentTable : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalPercentTable, GivesThePercentage) {
    EXPECT_EQ(SignalPercentFromRssi(GetParam().rssi), GetParam().percent) << GetParam().rssi << " dBm";
    TestScanEntry e;
    e.rssi = GetParam().rssi;
    const auto buffer = BuildScanBuffer({e});
    EXPECT_EQ(SignalPercent(*EntryAt(buffer, 0)), GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P(Levels, SignalPercentTable,
                         ::testing::Values(SignalCase{-50, 100}, SignalCase{-56, 100}, SignalCase{-57, 97},
                                           SignalCase{-66, 75}, SignalCase{-86, 25}, SignalCase{-95, 2},
                                           SignalCase{-96, 0}, SignalCase{-97, 0}, SignalCase{-200, 0},
                                           SignalCase{INT32_MIN, 0}, SignalCase{INT32_MAX, 100}));

}  // namespace
}  // namespace tembrel
