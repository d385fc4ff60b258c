#pragma once
// Bytes as lower-case hex digits, for comparing records and call logs in tests.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tembrel::testing {

inline std::string HexBytes(const void* data, size_t n) {
    if (!data) return "null";
    std::string s;
    s.reserve(2 * n);
    char b[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", static_cast<const uint8_t*>(data)[i]);
        s += b;
    }
    return s;
}

}  // namespace tembrel::testing
