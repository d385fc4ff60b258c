#pragma once
// Texts across the C ABI, the same in every driver library: answers copied into the caller's
// buffer whole or not at all, and texts read from the caller with a bound.

#include <TembrelCodes.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tembrel::abi {

// Copies `text` with its terminator into buf[cap]; a buffer too small gets an empty text.
inline int CopyText(const std::string& text, char* buf, uint32_t cap) {
    if (buf == nullptr || cap == 0) return ZARN9100_RESULT_BAD_ARGUMENT;
    if (text.size() + 1 > cap) {
        buf[0] = '\0';
        return ZARN9100_RESULT_BUFFER_TOO_SMALL;
    }
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return ZARN9100_RESULT_OK;
}

// Bounded strlen for texts whose buffer size the caller does not pass.
inline std::string BoundedText(const char* text, std::size_t max) {
    if (text == nullptr) return {};
    std::size_t n = 0;
    while (n < max && text[n] != '\0') ++n;
    return std::string(text, n);
}

// Bytes as lower-case hex digits (keys, certificate thumbprints).
inline std::string HexText(const uint8_t* data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
    return out;
}

}  // namespace tembrel::abi
