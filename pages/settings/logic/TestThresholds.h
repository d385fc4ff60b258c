#pragma once
// The Test page's rules: the channel range word and the two thresholds' allowed values.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tembrel {

inline constexpr const char* kChannelEditMessage = "Please enter an integer between 0 and 255.";
inline constexpr const char* kSignalThresholdMessage = "Signal Threshold range is from 10 to 200 !";
// The transmit-failure message names the signal threshold too; the text is kept as it is known.
inline constexpr const char* kTxFailThresholdMessage = "Signal Threshold range is from 0 to 100 !";

struct ChannelRange {
    uint8_t first;  // bits 8 to 15
    uint8_t last;   // bits 0 to 7
};
// The card's word: other bits are ignored when read and sent as 0.
ChannelRange DecodeChannelRange(uint32_t word);
uint32_t EncodeChannelRange(ChannelRange range);

// A numeric edit's value: decimal digits only, non-empty; nullopt otherwise or above 2^32 - 1.
std::optional<uint32_t> ParseDecimalEdit(std::string_view text);
// A channel edit: 0 to 255.
std::optional<uint8_t> ParseChannelEdit(std::string_view text);

bool SignalThresholdAllowed(uint32_t value);  // 10 to 200
bool TxFailThresholdAllowed(uint32_t value);  // 0 to 100

}  // namespace tembrel
