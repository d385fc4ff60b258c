#include "survey/SecurityDetection.h"

#include "survey/InformationElements.h"
#include "survey/ScanRequests.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace tembrel {

namespace {

using Suite = std::array<uint8_t, 4>;

constexpr uint8_t kVendorSpecificId = 0xDD;
constexpr uint8_t kRsnId = 0x30;
constexpr size_t kMinimumBody = 13;  // elements of 12 body bytes or less are passed over

constexpr Suite kVendorNoSecurity{0x00, 0x40, 0x96, 0x04};
constexpr Suite kWpaElement{0x00, 0x50, 0xF2, 0x01};

// Four bytes at `offset` counted from the id byte, or none when they are not in the element.
std::optional<Suite> SuiteAt(const InformationElement& e, size_t offset) {
    if (!e.byteRangeInside(offset, 4)) return std::nullopt;
    Suite s;
    std::copy_n(e.body.begin() + static_cast<std::ptrdiff_t>(offset - 2), 4, s.begin());
    return s;
}

uint32_t CipherFromSuite(const std::optional<Suite>& s, uint8_t oui0, uint8_t oui1, uint8_t oui2) {
    if (!s || (*s)[0] != oui0 || (*s)[1] != oui1 || (*s)[2] != oui2) return kCipherNone;
    switch ((*s)[3]) {
        case 0x01:
        case 0x05: return kCipherWep;
        case 0x02: return kCipherTkip;
        case 0x04: return kCipherAes;
        default: return kCipherNone;
    }
}

uint32_t AuthFromSuite(const std::optional<Suite>& s, uint8_t oui0, uint8_t oui1, uint8_t oui2,
                       uint32_t eapCode, uint32_t pskCode) {
    if (!s || (*s)[0] != oui0 || (*s)[1] != oui1 || (*s)[2] != oui2) return kAuthOpenSystem;
    switch ((*s)[3]) {
        case 0x01: return eapCode;
        case 0x02: return pskCode;
        default: return kAuthOpenSystem;
    }
}

}  // namespace

ScanSecurity DetectSecurityOfEntry(const ScanEntry& entry) {
    for (const InformationElement& e : InformationElements(entry.variableElements())) {
        if (e.body.size() < kMinimumBody) continue;
        if (e.id == kVendorSpecificId) {
            const auto prefix = SuiteAt(e, 2);
            if (prefix == kVendorNoSecurity) return {kAuthOpenSystem, kCipherNone};
            if (prefix == kWpaElement) {
                // Version 6-7, group suite 8-11, pairwise count 12-13, first pairwise suite
                // 14-17, key-management count 18-19, first key-management suite 20-23.
                return {AuthFromSuite(SuiteAt(e, 20), 0x00, 0x50, 0xF2, kGroupWpa, kAuthWpaPsk),
                        CipherFromSuite(SuiteAt(e, 14), 0x00, 0x50, 0xF2)};
            }
        } else if (e.id == kRsnId) {
            // Version 2-3, group suite 4-7, pairwise count 8-9, first pairwise suite 10-13,
            // key-management count 14-15, first key-management suite 16-19.
            return {AuthFromSuite(SuiteAt(e, 16), 0x00, 0x0F, 0xAC, kGroupWpa2, kAuthWpa2Psk),
                    CipherFromSuite(SuiteAt(e, 10), 0x00, 0x0F, 0xAC)};
        }
    }
    return {};
}

ScanSecurity DetectSecurity(const ScanList& list, const MacAddress& bssid) {
    for (const ScanEntry entry : list) {
        if (entry.hasUsableSsid() && entry.macAddress() == bssid) return DetectSecurityOfEntry(entry);
    }
    return {};
}

ScanSecurity DetectSecurity(DriverLibrary& driver, ZARN9100_HANDLE handle, const MacAddress& bssid) {
    auto buffer = std::make_unique<ScanBuffer>();
    if (!ReadScanListWithLength(driver, handle, *buffer)) return {};
    return DetectSecurity(ScanList(*buffer), bssid);
}

}  // namespace tembrel
