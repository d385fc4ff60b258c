#pragma once
// The channel plan: which centre frequency each channel number stands for, in both directions.
// The driver libraries read it as below; the program's survey reads the same bands with the
// rules it documents (survey/ChannelPlan.h).

#include <array>
#include <cstdint>

namespace tembrel::abi {

// Channels first to last, every 5 MHz: channel c lies at baseMHz + 5 x c.
struct ChannelBand {
    uint32_t firstChannel;
    uint32_t lastChannel;
    uint32_t baseMHz;
};
inline constexpr ChannelBand kBand24GHz{1, 13, 2407};   // 2412 to 2472 MHz
inline constexpr ChannelBand kChannel14{14, 14, 2414};  // 2484 MHz, apart from the others
inline constexpr ChannelBand kBand5GHz{1, 179, 5000};   // 5005 to 5895 MHz
inline constexpr std::array<ChannelBand, 3> kChannelBands{kBand24GHz, kChannel14, kBand5GHz};
inline constexpr uint32_t kChannelSpacingMHz = 5;

// The 5 GHz channels a card may be set to.
inline constexpr std::array<uint32_t, 24> kFiveGhzChannels{36,  40,  44,  48,  52,  56,  60,  64,
                                                           100, 104, 108, 112, 116, 120, 124, 128,
                                                           132, 136, 140, 149, 153, 157, 161, 165};
constexpr bool IsFiveGhzChannel(uint32_t channel) {
    for (uint32_t c : kFiveGhzChannels)
        if (c == channel) return true;
    return false;
}
// A channel a card may be set to: 1 to 14, or one of the 5 GHz ones.
constexpr bool IsSettableChannel(uint32_t channel) {
    return (channel >= 1 && channel <= 14) || IsFiveGhzChannel(channel);
}

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
