#pragma once
// Bounded, read-only view of the driver's scan list: a u32 entry count followed by entries
// chained by their Length field. Nothing here trusts the driver: every entry must lie wholly
// inside the buffer and be long enough for its fixed fields, otherwise the walk ends there.

#include <Tembrel.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tembrel {

inline constexpr size_t kScanBufferSize = ZARN9100_SCAN_BUFFER_SIZE;
using ScanBuffer = std::array<uint8_t, kScanBufferSize>;
using MacAddress = std::array<uint8_t, 6>;

// Byte offsets inside one scan entry. The tail from 112 is IELength, the 12-byte fixed part
// of the element area (timestamp, beacon interval, capabilities), then the variable elements.
namespace scan_entry {
inline constexpr size_t kLength = 0;
inline constexpr size_t kMacAddress = 4;
inline constexpr size_t kSsidLength = 12;
inline constexpr size_t kSsid = 16;
inline constexpr size_t kMaxSsidLength = 32;
inline constexpr size_t kPrivacy = 48;
inline constexpr size_t kRssi = 52;
inline constexpr size_t kDsConfig = 72;
inline constexpr size_t kInfrastructureMode = 92;
inline constexpr size_t kSupportedRates = 96;
inline constexpr size_t kSupportedRatesSize = 16;
inline constexpr size_t kIeLength = 112;
inline constexpr size_t kFixedElements = 116;
inline constexpr size_t kFixedElementsSize = 12;
inline constexpr size_t kVariableElements = kFixedElements + kFixedElementsSize;  // 128
// Shortest entry the walk accepts: every field up to and including IELength.
inline constexpr size_t kMinimumLength = kFixedElements;

inline uint32_t LoadU32Le(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
}  // namespace scan_entry

// One entry; its bytes are exactly [data, data + Length), already checked to lie in the buffer.
class ScanEntry {
public:
    explicit ScanEntry(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::span<const uint8_t> bytes() const { return bytes_; }
    uint32_t length() const { return u32(scan_entry::kLength); }
    MacAddress macAddress() const;
    uint32_t ssidLength() const { return u32(scan_entry::kSsidLength); }
    // Entries whose SsidLength exceeds 32 are skipped by every reader.
    bool hasUsableSsid() const { return ssidLength() <= scan_entry::kMaxSsidLength; }
    // The valid SSID bytes (none when the length is unusable); not NUL-terminated.
    std::string_view ssid() const;
    uint32_t privacy() const { return u32(scan_entry::kPrivacy); }
    int32_t rssiDbm() const { return static_cast<int32_t>(u32(scan_entry::kRssi)); }
    uint32_t dsConfigKHz() const { return u32(scan_entry::kDsConfig); }
    uint32_t infrastructureMode() const { return u32(scan_entry::kInfrastructureMode); }
    std::span<const uint8_t, scan_entry::kSupportedRatesSize> supportedRates() const {
        return bytes_.subspan<scan_entry::kSupportedRates, scan_entry::kSupportedRatesSize>();
    }
    uint32_t ieLength() const { return u32(scan_entry::kIeLength); }
    // The variable information elements: IELength - 12 bytes from offset 128, cut at the
    // entry's end; empty when IELength is 12 or less.
    std::span<const uint8_t> variableElements() const;

private:
    uint32_t u32(size_t offset) const { return scan_entry::LoadU32Le(bytes_.data() + offset); }
    std::span<const uint8_t> bytes_;
};

// The list inside a scan buffer. The buffer may be shorter than 24,576 bytes (never read past
// its end) and is never read beyond 24,576 bytes.
class ScanList {
public:
    explicit ScanList(std::span<const uint8_t> buffer);

    // NumberOfItems as the driver wrote it (0 when the buffer cannot even hold it).
    uint32_t numberOfItems() const { return count_; }
    // Entry `index` (zero-based) walking from the first entry, or none when the index is
    // negative, not below NumberOfItems, or lies beyond a malformed entry.
    std::optional<ScanEntry> EntryAt(long long index) const;

    class Iterator {
    public:
        ScanEntry operator*() const { return ScanEntry(buffer_.subspan(offset_, length_)); }
        Iterator& operator++();
        bool operator==(std::default_sentinel_t) const { return length_ == 0; }
        uint32_t index() const { return index_; }

    private:
        friend class ScanList;
        Iterator(std::span<const uint8_t> buffer, uint32_t count);
        void settle();
        std::span<const uint8_t> buffer_;
        uint32_t count_ = 0;
        uint32_t index_ = 0;
        size_t offset_ = 0;
        size_t length_ = 0;  // 0 = end of the walk
    };
    // Walks the entries in scan order, stopping at NumberOfItems or the first malformed entry.
    Iterator begin() const { return Iterator(buffer_, count_); }
    std::default_sentinel_t end() const { return {}; }

private:
    std::span<const uint8_t> buffer_;
    uint32_t count_ = 0;
};

// The free form used by the readers: ScanList(buffer).EntryAt(index).
std::optional<ScanEntry> EntryAt(std::span<const uint8_t> buffer, long long index);

}  // namespace tembrel
