#pragma once
// The input rules of the profile pages, each a plain function: byte limits of the record's text
// fields, the ad-hoc channel range and its list texts, the WPA passphrase, the radio thresholds
// and the transmit rates. The pages call these; tests feed them rows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/ProfileRecord.h"

namespace tembrel {

// Room for text in the record's fields, in bytes (each field keeps one byte for its terminator).
inline constexpr std::size_t kProfileNameBytes = 39;
inline constexpr std::size_t kSsidBytes = 32;
inline constexpr std::size_t kCredentialBytes = 39;
// The passphrase field holds 128 bytes; one stays for the terminator.
inline constexpr std::size_t kPassphraseFieldBytes = 127;

// `text` cut to at most `maxBytes` bytes of UTF-8 without splitting a character.
std::string LimitBytes(std::string_view text, std::size_t maxBytes);

// Characters 0x20 to 0x7E only.
bool IsPrintableAscii(std::string_view text);
bool IsHexDigits(std::string_view text);

// One entry of a drop-down list: its text and the value it stands for.
struct Choice {
    std::string text;
    int64_t value;
    bool operator==(const Choice&) const = default;
};
// Index of the entry with `value`, or -1.
int IndexOfValue(const std::vector<Choice>& choices, int64_t value);
bool Offers(const std::vector<Choice>& choices, int64_t value);

// The channels the ad-hoc channel list offers. The settings file's "FirstChan"/"LastChan" can
// hold anything: each is clamped to 1..14, and a range whose first channel lies above its last
// becomes 1..11.
struct ChannelRange {
    int first = 1;
    int last = 11;
    bool operator==(const ChannelRange&) const = default;
};
ChannelRange ClampChannelRange(int64_t first, int64_t last);
// "CH 1 (2.412 GHz)".
std::string ChannelText(int channel);
// "Auto Select" (0), then one entry per channel of the range.
std::vector<Choice> ChannelChoices(ChannelRange range);

// WPA-PSK / WPA2-PSK: 8 to 63 printable ASCII characters. 64 hexadecimal digits are refused too,
// as the refusal message ("8 to 63") tells the user.
bool IsValidPassphrase(std::string_view passphrase);

// The record's passphrase as text: at most kPassphraseFieldBytes bytes, stopping at the first NUL,
// whatever passphraseLength says (imported records may lack the terminator).
std::string ReadPassphrase(const PROFILE_RECORD& record);
// Zeroes the 128-byte area, copies `passphrase` cut to kPassphraseFieldBytes bytes, and sets
// passphraseLength to the number of bytes stored.
void WritePassphrase(PROFILE_RECORD& record, std::string_view passphrase);

// The radio thresholds. A threshold edit holds a non-negative decimal integer that fits 32 bits
// (surrounding blanks allowed); anything else is not a threshold.
inline constexpr uint32_t kMinFragThreshold = 256;
inline constexpr uint32_t kMaxFragThreshold = 2346;
inline constexpr uint32_t kMaxRtsThreshold = 2347;
std::optional<uint32_t> ParseThreshold(std::string_view text);
// The message for out-of-range thresholds, "" when both are in range. An RTS/CTS message
// replaces a fragmentation message.
std::string ThresholdMessage(uint32_t fragThreshold, uint32_t rtsThreshold);
inline constexpr const char* kNotAnIntegerMessage = "Please enter a positive integer.";

// Transmit rates in units of 500 kbit/s offered for a band code, after "Auto" (255).
std::vector<uint32_t> TxRatesForBand(uint32_t band);
// "Auto", "11 Mbps", "5.5 Mbps".
std::string TxRateText(uint32_t rate);
std::vector<Choice> TxRateChoices(uint32_t band);

}  // namespace tembrel
