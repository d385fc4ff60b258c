#pragma once
// Bounded access to the fixed-width text fields of PROFILE_RECORD. Records can come from files
// written by anyone, so a field is never assumed to hold its terminator: reading stops at the
// field's end, and writing always leaves a NUL in the last byte and zeros after the text.

#include <cstddef>
#include <cstring>
#include <string_view>

#include "profiles/ProfileRecord.h"

namespace tembrel {

// Longest text that fits a field of N bytes together with its terminator.
template <std::size_t N>
constexpr std::size_t TextCapacity(const char (&)[N]) {
    return N - 1;
}

// Length of `text` cut to at most `maxBytes`, moved back so that a UTF-8 sequence is not split.
inline std::size_t CutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

template <std::size_t N>
std::string_view GetText(const char (&field)[N]) {
    const void* end = std::memchr(field, 0, N);
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N;
    return std::string_view(field, length);
}

// Stores `text` (up to its first NUL), cut to N - 1 bytes; the rest of the field is zero.
template <std::size_t N>
void SetText(char (&field)[N], std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    const std::size_t length = CutLength(text, N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), length);
}

// Puts the terminator into the last byte of every text field, so that code that treats a
// field as a C string cannot run into the next field. Lossless for records within the limits.
void TerminateTextFields(PROFILE_RECORD& record);

inline std::string_view ProfileName(const PROFILE_RECORD& record) { return GetText(record.name); }
inline void SetProfileName(PROFILE_RECORD& record, std::string_view name) { SetText(record.name, name); }
inline std::string_view ProfileSsid(const PROFILE_RECORD& record) { return GetText(record.ssid); }
inline void SetProfileSsid(PROFILE_RECORD& record, std::string_view ssid) { SetText(record.ssid, ssid); }

// Exact, case-sensitive byte comparison of the record's name.
inline bool HasName(const PROFILE_RECORD& record, std::string_view name) { return ProfileName(record) == name; }

}  // namespace tembrel
