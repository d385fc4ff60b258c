#include "survey/ChannelPlan.h"

#include "tembrel/common/ChannelPlan.h"

#include <algorithm>

namespace tembrel {

namespace {
using abi::kChannelSpacingMHz;
constexpr uint32_t kChannel14MHz = abi::kChannel14.baseMHz + kChannelSpacingMHz * 14;
constexpr uint32_t kChannel1MHz = abi::kBand24GHz.baseMHz + kChannelSpacingMHz;
constexpr uint32_t kFiveGhzBaseMHz = abi::kBand5GHz.baseMHz;  // channel c is at 5000 + 5 x c MHz
constexpr uint32_t kFiveGhzThresholdKHz = kFiveGhzBaseMHz * 1000;
constexpr uint32_t kHighestChannelNumber = 200;  // the 5 GHz numbering ends at 200 (6000 MHz)
static_assert(kChannel14MHz == 2484 && kChannel1MHz == 2412);
constexpr size_t kRatesExamined = 14;  // the last two rate bytes are never looked at
}  // namespace

uint32_t ChannelFromFrequency(uint32_t frequencyKHz) {
    const uint32_t mhz = frequencyKHz / 1000;
    if (mhz < kFiveGhzSegments.front().firstFrequencyMHz) {
        if (mhz == kChannel14MHz) return 14;
        // Unsigned on purpose: frequencies below channel 1 wrap to a huge value and give 0.
        const uint32_t c = (mhz - kChannel1MHz) / 5 + 1;
        return c >= 1 && c <= 14 ? c : 0;
    }
    // Segments are in ascending order; the last one whose first frequency is reached applies.
    const FiveGhzSegment* segment = &kFiveGhzSegments.front();
    for (const auto& s : kFiveGhzSegments)
        if (mhz >= s.firstFrequencyMHz) segment = &s;
    const uint32_t channel = segment->firstChannel + ((mhz - segment->firstFrequencyMHz) / 20) * 4;
    // A frequency beyond the plan (a driver's nonsense) has no channel.
    return channel <= kHighestFiveGhzChannel ? channel : 0;
}

uint32_t FrequencyForChannelMHz(uint32_t channel) {
    if (channel == 14) return kChannel14MHz;
    if (IsTwoPointFourGhzChannel(channel)) return kChannel1MHz + kChannelSpacingMHz * (channel - 1);
    if (channel > kHighestChannelNumber) return 0;
    return kFiveGhzBaseMHz + kChannelSpacingMHz * channel;
}

uint32_t ClassifyBand(const ScanEntry& entry) {
    if (entry.dsConfigKHz() > kFiveGhzThresholdKHz) return kBand80211a;
    const auto rates = entry.supportedRates();
    for (size_t i = 0; i < kRatesExamined; ++i) {
        const uint8_t r = rates[i];
        if ((r & 0x7F) == 0) break;
        const uint8_t rate = r & 0x7E;  // 500 kbit/s units without the basic-rate flag
        if (rate == 0x12 || rate > 0x16) return kBand80211g;  // 9 Mbit/s, or above 11 Mbit/s
    }
    return kBand80211b;
}

int SignalPercentFromRssi(int32_t rssiDbm) {
    const int64_t level = std::clamp<int64_t>(int64_t{rssiDbm} + 96, 0, 40);
    return static_cast<int>(level * 100 / 40);
}

}  // namespace tembrel
