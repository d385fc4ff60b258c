#pragma once
// The channel plan of every driver library: which centre frequency each channel number stands
// for, in both directions.

#include <array>
#include <cstdint>

namespace tembrel::abi {

// Channels first to last, every 5 MHz: channel c lies at baseMHz + 5 x c.
struct ChannelBand {
    uint32_t firstChannel;
    uint32_t lastChannel;
    uint32_t baseMHz;
};
inline constexpr std::array<ChannelBand, 3> kChannelBands{{
    {1, 13, 2407},   // 2.4 GHz, 2412 to 2472 MHz
    {14, 14, 2414},  // 2484 MHz, apart from the others
    {1, 179, 5000},  // 5 GHz, 5005 to 5895 MHz
}};
inline constexpr uint32_t kChannelSpacingMHz = 5;

// The 2.4 GHz meaning of a number wins (the 5 GHz band reuses 1 to 14); 0 when none.
constexpr uint32_t ChannelFrequencyMHz(uint32_t channel) {
    for (const ChannelBand& band : kChannelBands)
        if (channel >= band.firstChannel && channel <= band.lastChannel) return band.baseMHz + kChannelSpacingMHz * channel;
    return 0;
}

// 0 for a frequency that is no channel's centre.
constexpr uint32_t ChannelAtFrequencyMHz(uint32_t mhz) {
    for (const ChannelBand& band : kChannelBands) {
        if (mhz < band.baseMHz || (mhz - band.baseMHz) % kChannelSpacingMHz != 0) continue;
        const uint32_t channel = (mhz - band.baseMHz) / kChannelSpacingMHz;
        if (channel >= band.firstChannel && channel <= band.lastChannel) return channel;
    }
    return 0;
}

}  // namespace tembrel::abi
