#include "TestThresholds.h"

namespace tembrel {

ChannelRange DecodeChannelRange(uint32_t word) { return {uint8_t((word >> 8) & 0xFF), uint8_t(word & 0xFF)}; }

uint32_t EncodeChannelRange(ChannelRange range) { return (uint32_t(range.first) << 8) | range.last; }

std::optional<uint32_t> ParseDecimalEdit(std::string_view text) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + uint64_t(c - '0');
        if (value > UINT32_MAX) return std::nullopt;
    }
    return uint32_t(value);
}

std::optional<uint8_t> ParseChannelEdit(std::string_view text) {
    const auto value = ParseDecimalEdit(text);
    if (!value || *value > 255) return std::nullopt;
    return uint8_t(*value);
}

bool SignalThresholdAllowed(uint32_t value) { return value >= 10 && value <= 200; }
bool TxFailThresholdAllowed(uint32_t value) { return value <= 100; }

}  // namespace tembrel
