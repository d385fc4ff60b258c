#include "tembrel/common/ScanEntryLayout.h"

#include "tembrel/common/LittleEndian.h"

#include <TembrelCodes.h>

#include <algorithm>
#include <cstring>

namespace tembrel::abi {

using namespace scan_entry;

std::vector<uint8_t> EncodeScanEntry(const ScanEntryFields& f) {
    const std::size_t raw = kElements + f.elements.size();
    std::vector<uint8_t> e((raw + 3) & ~std::size_t(3), 0);
    PutU32(e, kLength, uint32_t(e.size()));
    std::copy(f.bssid.begin(), f.bssid.end(), e.begin() + kBssid);
    const std::size_t ssidLength = std::min(f.ssid.size(), kSsidCapacity);
    PutU32(e, kSsidLength, uint32_t(ssidLength));
    std::copy_n(f.ssid.begin(), ssidLength, e.begin() + kSsid);
    PutU32(e, kPrivacy, f.privacy ? 1 : 0);
    PutU32(e, kRssi, uint32_t(f.rssiDbm));
    PutU32(e, kNetworkTypeInUse, f.networkTypeInUse);
    PutU32(e, kConfigurationLength, kConfigurationSize);
    PutU32(e, kBeaconPeriod, f.beaconIntervalTu);
    PutU32(e, kDsConfig, f.frequencyMHz * 1000);
    PutU32(e, kInfrastructureMode, f.adHoc ? ZARN9100_NETWORK_ADHOC : ZARN9100_NETWORK_INFRASTRUCTURE);
    const std::vector<uint8_t> rates = RatesOfElements(f.elements);
    std::copy_n(rates.begin(), std::min(rates.size(), kRatesCapacity), e.begin() + kSupportedRates);
    PutU32(e, kIeLength, uint32_t(kFixedFieldsSize + f.elements.size()));
    for (std::size_t i = 0; i < 8; ++i) e[kTimestamp + i] = uint8_t(f.timestamp >> (8 * i));
    PutU16(e, kBeaconInterval, uint16_t(f.beaconIntervalTu));
    PutU16(e, kCapabilities, f.capabilities);
    std::copy(f.elements.begin(), f.elements.end(), e.begin() + kElements);
    return e;
}

std::vector<uint8_t> RatesOfElements(std::span<const uint8_t> elements) {
    std::vector<uint8_t> rates;
    for (std::size_t at = 0; at + 2 <= elements.size();) {
        const uint8_t id = elements[at];
        const std::size_t length = elements[at + 1];
        if (at + 2 + length > elements.size()) break;
        const auto body = elements.subspan(at + 2, length);
        if (id == 1 || id == 50) rates.insert(rates.end(), body.begin(), body.end());
        at += 2 + length;
    }
    return rates;
}

std::optional<std::string_view> ScanEntrySsid(std::span<const uint8_t> entry) {
    const uint32_t length = GetU32(entry, kSsidLength);
    if (entry.size() < kElements || length > kSsidCapacity) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(entry.data() + kSsid), length);
}

ScanListWrite WriteScanList(const std::vector<std::vector<uint8_t>>& entries, uint8_t* buffer, uint32_t capacity) {
    ScanListWrite w;
    if (buffer == nullptr || capacity < 4) return w;
    uint32_t at = 4;
    w.complete = true;
    for (const auto& entry : entries) {
        if (entry.size() > capacity - at) {
            w.complete = false;
            break;
        }
        std::memcpy(buffer + at, entry.data(), entry.size());
        at += uint32_t(entry.size());
        ++w.entriesWritten;
    }
    PutU32(buffer, w.entriesWritten);
    w.bytesWritten = at;
    return w;
}

}  // namespace tembrel::abi
