#include "Hostile.h"

#include "ScanList.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tembrel::sim::hostile {

namespace {

void Put32(uint8_t* buffer, uint32_t cap, uint32_t offset, uint32_t value) {
    for (uint32_t b = 0; b < 4 && offset + b < cap; ++b) buffer[offset + b] = uint8_t(value >> (8 * b));
}

void PutText(uint8_t* buffer, uint32_t cap, uint32_t offset, const char* text) {
    for (uint32_t i = 0; text[i] != '\0' && offset + i < cap; ++i) buffer[offset + i] = uint8_t(text[i]);
}

// A small generator of its own, so that a round always gives the same bytes.
uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

}  // namespace

void WriteScanList(uint8_t* buffer, uint32_t cap, uint32_t round) {
    std::memset(buffer, 0, cap);
    constexpr uint32_t kEntry = 4;  // the first entry's offset
    // Fixed-field offsets of an entry (the layout readers follow).
    constexpr uint32_t kSsidLength = 12, kSsid = 16, kRssi = 52, kDsConfig = 72, kIeLength = 112;
    switch (round % 9) {
        case 0:  // a count far beyond the one entry that follows
            Put32(buffer, cap, 0, 0xFFFFFFFFu);
            Put32(buffer, cap, kEntry, 160);
            Put32(buffer, cap, kEntry + kSsidLength, 4);
            PutText(buffer, cap, kEntry + kSsid, "Liar");
            Put32(buffer, cap, kEntry + kIeLength, 44);
            break;
        case 1:  // an entry of length 0: a walk that does not check would never end
            Put32(buffer, cap, 0, 5);
            break;
        case 2:  // an entry whose length points far outside the buffer
            Put32(buffer, cap, 0, 2);
            Put32(buffer, cap, kEntry, 0x7FFFFFF0u);
            break;
        case 3:  // shorter than its own fixed fields
            Put32(buffer, cap, 0, 3);
            Put32(buffer, cap, kEntry, 100);
            Put32(buffer, cap, kEntry + 100, 100);
            break;
        case 4:  // SSID lengths above 32, the SSID without terminator
            Put32(buffer, cap, 0, 2);
            Put32(buffer, cap, kEntry, 128);
            Put32(buffer, cap, kEntry + kSsidLength, 200);
            for (uint32_t i = kEntry + kSsid; i < std::min(cap, kEntry + 128); ++i) buffer[i] = 'S';
            Put32(buffer, cap, kEntry + 128, 128);
            Put32(buffer, cap, kEntry + 128 + kSsidLength, 0xFFFFFFFFu);
            break;
        case 5:  // element lengths beyond the entry, an IELength beyond everything
            Put32(buffer, cap, 0, 1);
            Put32(buffer, cap, kEntry, 140);
            Put32(buffer, cap, kEntry + kSsidLength, 3);
            PutText(buffer, cap, kEntry + kSsid, "IEs");
            Put32(buffer, cap, kEntry + kIeLength, 0xFFFFFFFFu);
            if (kEntry + 131 < cap) {
                buffer[kEntry + 128] = 0xDD;  // vendor element claiming 255 bytes
                buffer[kEntry + 129] = 0xFF;
                buffer[kEntry + 130] = 0x30;  // then an RSN element that never fits
                buffer[kEntry + 131] = 0xFF;
            }
            break;
        case 6:  // the last entry straddles the end of the buffer
            if (cap >= kEntry + 8) {
                Put32(buffer, cap, 0, 1);
                Put32(buffer, cap, kEntry, cap - kEntry + 4);
            }
            break;
        case 7: {  // absurd values in well-formed entries
            Put32(buffer, cap, 0, 2);
            for (uint32_t e = 0; e < 2; ++e) {
                const uint32_t at = kEntry + e * 128;
                Put32(buffer, cap, at, 128);
                Put32(buffer, cap, at + kSsidLength, 32);
                for (uint32_t i = at + kSsid; i < std::min(cap, at + kSsid + 32); ++i) buffer[i] = '\xff';
                Put32(buffer, cap, at + kRssi, e == 0 ? 0x80000000u : 0x7FFFFFFFu);
                Put32(buffer, cap, at + kDsConfig, e == 0 ? 0xFFFFFFFFu : 2412001);
                Put32(buffer, cap, at + kIeLength, 12);
            }
            break;
        }
        default:  // noise
            for (uint32_t i = 0; i < cap; ++i) buffer[i] = uint8_t(Mix(round * 131 + i));
            break;
    }
}

uint32_t ScanListLength(uint32_t cap, uint32_t round) {
    switch (round % 4) {
        case 0: return 0xFFFFFFFFu;           // -1 as a signed number
        case 1: return 0x80000000u;           // the most negative
        case 2: return cap + 1;               // one beyond the buffer
        default: return cap * 2 + 4096;
    }
}

void FillUnterminated(char* buffer, uint32_t cap, uint32_t round) {
    for (uint32_t i = 0; i < cap; ++i) buffer[i] = char('A' + (round + i) % 26);
}

uint32_t Number(uint32_t round) {
    constexpr uint32_t kValues[] = {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 999, 256, 15};
    return kValues[round % (sizeof kValues / sizeof kValues[0])];
}

int32_t Rssi(uint32_t round) {
    constexpr int32_t kValues[] = {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 500, -500,
                                   0};
    return kValues[round % (sizeof kValues / sizeof kValues[0])];
}

uintptr_t UnknownEventCode(uint32_t round) {
    constexpr uintptr_t kCodes[] = {10, 77, 999, 1000, 1013, 0x7FFFFFFF, 0xF0000010u,
                                    std::numeric_limits<uintptr_t>::max()};
    return kCodes[round % (sizeof kCodes / sizeof kCodes[0])];
}

}  // namespace tembrel::sim::hostile
