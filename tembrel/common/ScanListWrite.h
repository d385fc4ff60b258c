#pragma once
// The scan list as QueryScanList hands it out: NumberOfItems (little-endian), then as many whole
// entries as fit the caller's buffer.

#include <cstdint>
#include <cstring>
#include <vector>

namespace tembrel::abi {

struct ScanListWrite {
    uint32_t entriesWritten = 0;
    uint32_t bytesWritten = 0;
};

// Nothing when capacity < 4.
inline ScanListWrite WriteScanList(const std::vector<std::vector<uint8_t>>& entries, uint8_t* buffer,
                                   uint32_t capacity) {
    ScanListWrite w;
    if (buffer == nullptr || capacity < 4) return w;
    uint32_t at = 4;
    for (const auto& entry : entries) {
        if (entry.size() > capacity - at) break;
        std::memcpy(buffer + at, entry.data(), entry.size());
        at += uint32_t(entry.size());
        ++w.entriesWritten;
    }
    for (size_t i = 0; i < 4; ++i) buffer[i] = uint8_t(w.entriesWritten >> (8 * i));
    w.bytesWritten = at;
    return w;
}

}  // namespace tembrel::abi
