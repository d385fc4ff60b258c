#pragma once
// One scan entry as QueryScanList hands it out, written and read only here: a fixed part of
// 128 bytes (the offsets below, numbers little-endian), then the information elements; Length
// counts the whole entry and is a multiple of 4. The scan list is NumberOfItems (u32), then
// as many whole entries as fit the caller's buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tembrel::abi {

namespace scan_entry {
inline constexpr std::size_t kLength = 0;               // u32, the whole entry
inline constexpr std::size_t kBssid = 4;                // 6 bytes, 2 reserved
inline constexpr std::size_t kSsidLength = 12;          // u32, 0 to 32
inline constexpr std::size_t kSsid = 16;                // 32 bytes
inline constexpr std::size_t kPrivacy = 48;             // u32, 1 = privacy required
inline constexpr std::size_t kRssi = 52;                // i32, dBm
inline constexpr std::size_t kNetworkTypeInUse = 56;    // u32, ZARN9100_NETWORK_TYPE_...
inline constexpr std::size_t kConfigurationLength = 60; // u32
inline constexpr std::size_t kBeaconPeriod = 64;        // u32, TU
inline constexpr std::size_t kDsConfig = 72;            // u32, kHz
inline constexpr std::size_t kInfrastructureMode = 92;  // u32, ZARN9100_NETWORK_...
inline constexpr std::size_t kSupportedRates = 96;      // 16 bytes, 500 kbit/s units
inline constexpr std::size_t kIeLength = 112;           // u32, bytes from kTimestamp on
inline constexpr std::size_t kTimestamp = 116;          // u64
inline constexpr std::size_t kBeaconInterval = 124;     // u16, TU
inline constexpr std::size_t kCapabilities = 126;       // u16
inline constexpr std::size_t kElements = 128;           // the information elements

inline constexpr std::size_t kSsidCapacity = 32;
inline constexpr std::size_t kRatesCapacity = 16;
inline constexpr uint32_t kConfigurationSize = 32;
inline constexpr std::size_t kFixedFieldsSize = kElements - kTimestamp;  // counted in IELength
}  // namespace scan_entry

// What one entry says about one network.
struct ScanEntryFields {
    std::array<uint8_t, 6> bssid{};
    std::vector<uint8_t> ssid;  // empty for a hidden network; more than 32 bytes are cut
    bool privacy = false;
    int32_t rssiDbm = 0;
    uint32_t networkTypeInUse = 0;
    uint32_t beaconIntervalTu = 100;
    uint32_t frequencyMHz = 0;
    bool adHoc = false;
    uint64_t timestamp = 0;
    uint16_t capabilities = 0;
    // Whole elements (id, length, body); the supported rates field repeats the rates elements.
    std::vector<uint8_t> elements;
};

std::vector<uint8_t> EncodeScanEntry(const ScanEntryFields& fields);

// The bodies of the supported (1) and extended (50) rates elements, in order; a truncated
// element ends the walk.
std::vector<uint8_t> RatesOfElements(std::span<const uint8_t> elements);

// The SSID an entry carries; empty when the entry is too short or its length is out of range.
std::optional<std::string_view> ScanEntrySsid(std::span<const uint8_t> entry);

struct ScanListWrite {
    uint32_t entriesWritten = 0;
    uint32_t bytesWritten = 0;  // 4 + the entries that fitted
    bool complete = false;      // every entry fitted
};

// Writes as many whole entries as fit into capacity bytes, never past it; nothing when
// capacity < 4.
ScanListWrite WriteScanList(const std::vector<std::vector<uint8_t>>& entries, uint8_t* buffer, uint32_t capacity);

}  // namespace tembrel::abi
