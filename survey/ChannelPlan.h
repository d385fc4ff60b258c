#pragma once
// The channel plan: channel numbers from centre frequencies and back, and the band code of a
// scan entry. The one place where channels and frequencies meet.

#include "survey/ScanEntry.h"

#include <TembrelCodes.h>

#include <array>
#include <cstdint>

namespace tembrel {

// Band codes: the library's wireless modes, also a profile's wirelessMode and the snapshot's.
enum BandCode : uint32_t {
    kBand80211g = ZARN9100_WLAN_MODE_80211G,
    kBand80211b = ZARN9100_WLAN_MODE_80211B,
    kBand80211a = ZARN9100_WLAN_MODE_80211A,
};

// One 5 GHz segment: channels firstChannel, +4, +8, ... from firstFrequencyMHz in 20 MHz steps.
struct FiveGhzSegment {
    uint32_t firstFrequencyMHz;
    uint32_t firstChannel;
    uint32_t channelCount;
};
inline constexpr std::array<FiveGhzSegment, 3> kFiveGhzSegments{{
    {5180, 36, 4},
    {5260, 52, 4},
    {5745, 149, 5},
}};
// The last channel of the 5 GHz table (165): the filter's upper channel bound.
inline constexpr uint32_t kHighestFiveGhzChannel =
    kFiveGhzSegments.back().firstChannel + 4 * (kFiveGhzSegments.back().channelCount - 1);
static_assert(kHighestFiveGhzChannel == 165);

// Channel for a DSConfig frequency in kHz; 0 outside the known plans.
uint32_t ChannelFromFrequency(uint32_t frequencyKHz);

// Centre frequency for a channel number: 2407 + 5 x channel for 1 to 13, 2484 for 14, and the
// 5 GHz plan for every other number (its segments all follow 5000 + 5 x channel, so numbers
// between them, 0 included, get that frequency too); 0 for numbers beyond 200.
uint32_t FrequencyForChannelMHz(uint32_t channel);
// True for the 2.4 GHz channels (1 to 14).
inline bool IsTwoPointFourGhzChannel(uint32_t channel) { return channel >= 1 && channel <= 14; }

// 802.11a above 5 GHz; otherwise 802.11g when a supported rate is 9 Mbit/s or above 11 Mbit/s;
// otherwise 802.11b.
uint32_t ClassifyBand(const ScanEntry& entry);

// Signal for the survey list: dBm + 96, capped at 40, as a percentage of 40; never below 0.
int SignalPercentFromRssi(int32_t rssiDbm);
inline int SignalPercent(const ScanEntry& entry) { return SignalPercentFromRssi(entry.rssiDbm()); }

}  // namespace tembrel
