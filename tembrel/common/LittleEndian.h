#pragma once
// Numbers in the ABI's records and buffers are little-endian, whatever the host.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tembrel::abi {

// The caller sees to it that out holds at + 2 (or 4) bytes.
inline void PutU16(std::vector<uint8_t>& out, std::size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

inline void PutU32(uint8_t* out, uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) out[i] = uint8_t(v >> (8 * i));
}

inline void PutU32(std::vector<uint8_t>& out, std::size_t at, uint32_t v) { PutU32(out.data() + at, v); }

// 0 when the bytes do not reach that far.
inline uint32_t GetU32(std::span<const uint8_t> in, std::size_t at) {
    if (at > in.size() || in.size() - at < 4) return 0;
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= uint32_t(in[at + i]) << (8 * i);
    return v;
}

}  // namespace tembrel::abi
