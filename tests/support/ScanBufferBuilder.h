#pragma once
// Builds scan buffers byte by byte for tests: entries in the driver's layout (fixed fields,
// IELength at 112, 12 fixed element bytes, variable elements from 128), plus helpers for the
// WPA, RSN and vendor elements. Overrides make malformed buffers.

#include <Tembrel.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::testing {

struct TestScanEntry {
    std::array<uint8_t, 6> mac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::string ssid = "net";
    std::optional<uint32_t> ssidLength;  // default: ssid.size()
    uint32_t privacy = 0;
    int32_t rssi = -60;
    uint32_t dsConfigKHz = 2437000;
    uint32_t infrastructureMode = 1;
    std::vector<uint8_t> rates{0x82, 0x84, 0x8B, 0x96};  // 1, 2, 5.5, 11 Mbit/s basic
    std::vector<uint8_t> elements;                        // variable elements, from offset 128
    std::optional<uint32_t> length;                       // default: 128 + elements, rounded to 4
    std::optional<uint32_t> ieLength;                     // default: 12 + elements
};

inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline std::vector<uint8_t> EntryBytes(const TestScanEntry& e) {
    const size_t natural = (128 + e.elements.size() + 3) / 4 * 4;
    std::vector<uint8_t> b(natural, 0);
    PutU32(b, 0, e.length.value_or(static_cast<uint32_t>(natural)));
    std::memcpy(&b[4], e.mac.data(), 6);
    PutU32(b, 12, e.ssidLength.value_or(static_cast<uint32_t>(e.ssid.size())));
    std::copy_n(e.ssid.begin(), std::min<size_t>(e.ssid.size(), 32), b.begin() + 16);
    PutU32(b, 48, e.privacy);
    PutU32(b, 52, static_cast<uint32_t>(e.rssi));
    PutU32(b, 72, e.dsConfigKHz);
    PutU32(b, 92, e.infrastructureMode);
    std::copy_n(e.rates.begin(), std::min<size_t>(e.rates.size(), 16), b.begin() + 96);
    PutU32(b, 112, e.ieLength.value_or(static_cast<uint32_t>(12 + e.elements.size())));
    std::copy(e.elements.begin(), e.elements.end(), b.begin() + 128);
    return b;
}

// A whole buffer (24,576 bytes unless `size` says otherwise); `count` overrides NumberOfItems.
inline std::vector<uint8_t> BuildScanBuffer(const std::vector<TestScanEntry>& entries,
                                            std::optional<uint32_t> count = std::nullopt,
                                            size_t size = ZARN9100_SCAN_BUFFER_SIZE) {
    std::vector<uint8_t> buffer(4, 0);
    PutU32(buffer, 0, count.value_or(static_cast<uint32_t>(entries.size())));
    for (const auto& e : entries) {
        const auto bytes = EntryBytes(e);
        buffer.insert(buffer.end(), bytes.begin(), bytes.end());
    }
    buffer.resize(size, 0);
    return buffer;
}

// WPA vendor element: version 1, group = pairwise, one pairwise and one key-management suite.
inline std::vector<uint8_t> WpaElement(uint8_t pairwiseType, uint8_t akmType) {
    return {0xDD, 22, 0x00, 0x50, 0xF2, 0x01, 0x01, 0x00,
            0x00, 0x50, 0xF2, pairwiseType, 0x01, 0x00, 0x00, 0x50,
            0xF2, pairwiseType, 0x01, 0x00, 0x00, 0x50, 0xF2, akmType};
}

// RSN element: version 1, group = pairwise, one pairwise and one key-management suite, caps.
inline std::vector<uint8_t> RsnElement(uint8_t pairwiseType, uint8_t akmType) {
    return {0x30, 20, 0x01, 0x00, 0x00, 0x0F, 0xAC, pairwiseType, 0x01, 0x00, 0x00,
            0x0F, 0xAC, pairwiseType, 0x01, 0x00, 0x00, 0x0F, 0xAC, akmType, 0x00, 0x00};
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace tembrel::testing
