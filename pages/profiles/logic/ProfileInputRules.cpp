#include "pages/profiles/logic/ProfileInputRules.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "profiles/ProfileText.h"
#include "survey/ChannelPlan.h"

namespace tembrel {

std::string LimitBytes(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, CutLength(text, maxBytes)));
}

bool IsPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

bool IsHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

int IndexOfValue(const std::vector<Choice>& choices, int64_t value) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].value == value) return static_cast<int>(i);
    return -1;
}

bool Offers(const std::vector<Choice>& choices, int64_t value) { return IndexOfValue(choices, value) >= 0; }

ChannelRange ClampChannelRange(int64_t first, int64_t last) {
    const auto clamp = [](int64_t c) { return static_cast<int>(std::clamp<int64_t>(c, 1, 14)); };
    const ChannelRange range{clamp(first), clamp(last)};
    if (range.first > range.last) return ChannelRange{1, 11};
    return range;
}

std::string ChannelText(int channel) {
    char text[32];
    std::snprintf(text, sizeof text, "CH %d (%.3f GHz)", channel, FrequencyForChannelMHz(static_cast<uint32_t>(channel)) / 1000.0);
    return text;
}

std::vector<Choice> ChannelChoices(ChannelRange range) {
    range = ClampChannelRange(range.first, range.last);
    std::vector<Choice> choices{{"Auto Select", 0}};
    for (int c = range.first; c <= range.last; ++c) choices.push_back({ChannelText(c), c});
    return choices;
}

bool IsValidPassphrase(std::string_view passphrase) {
    return passphrase.size() >= 8 && passphrase.size() <= 63 && IsPrintableAscii(passphrase);
}

std::string ReadPassphrase(const PROFILE_RECORD& record) {
    const char* area = record.passphrase;
    const void* nul = std::memchr(area, 0, kPassphraseFieldBytes);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - area) : kPassphraseFieldBytes;
    return std::string(area, length);
}

void WritePassphrase(PROFILE_RECORD& record, std::string_view passphrase) {
    const std::size_t nul = passphrase.find('\0');
    if (nul != std::string_view::npos) passphrase = passphrase.substr(0, nul);
    const std::size_t length = std::min(passphrase.size(), kPassphraseFieldBytes);
    std::memset(record.passphrase, 0, sizeof record.passphrase);
    std::memcpy(record.passphrase, passphrase.data(), length);
    record.passphraseLength = static_cast<uint32_t>(length);
}

std::optional<uint32_t> ParseThreshold(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string ThresholdMessage(uint32_t fragThreshold, uint32_t rtsThreshold) {
    std::string message;
    if (fragThreshold < kMinFragThreshold)
        message = "The minimum value of fragmentation threshold is " + std::to_string(kMinFragThreshold);
    else if (fragThreshold > kMaxFragThreshold)
        message = "The maximum value of fragmentation threshold is " + std::to_string(kMaxFragThreshold);
    if (rtsThreshold > kMaxRtsThreshold)
        message = "The maximum value of RTS/CTS threshold is " + std::to_string(kMaxRtsThreshold);
    return message;
}

std::vector<uint32_t> TxRatesForBand(uint32_t band) {
    switch (band) {
    case 1: return {2, 4, 11, 22};
    case 2: return {12, 18, 24, 36, 48, 72, 96, 108};
    default: return {2, 4, 11, 12, 18, 22, 24, 36, 48, 72, 96, 108};
    }
}

std::string TxRateText(uint32_t rate) {
    if (rate == 255) return "Auto";
    if (rate % 2 != 0) return std::to_string(rate / 2) + ".5 Mbps";
    return std::to_string(rate / 2) + " Mbps";
}

std::vector<Choice> TxRateChoices(uint32_t band) {
    std::vector<Choice> choices{{"Auto", 255}};
    for (uint32_t rate : TxRatesForBand(band)) choices.push_back({TxRateText(rate), rate});
    return choices;
}

}  // namespace tembrel
