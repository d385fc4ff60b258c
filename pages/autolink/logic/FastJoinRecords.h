#pragma once
// The records that hand an unconfigured Auto Link access point the PIN and the card's IP
// settings (security info, then setup request), and the SSID the library reports back after a
// successful exchange. All little-endian, zero-filled first.

#include <Tembrel.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembrel {

// The 128-byte block of the security info: the same in every request, sent unchanged.
inline constexpr std::array<uint8_t, 128> kFastJoinFixedBlock{};

// What the card's interface reports: DHCP or a static address (first dotted octet in the most
// significant byte). Both stay 0 until read.
struct CardIpSettings {
    bool dhcp = false;
    uint32_t ipAddress = 0;
    friend bool operator==(const CardIpSettings&, const CardIpSettings&) = default;
};

inline constexpr uint16_t kFastJoinAddressDhcp = 2;
inline constexpr uint16_t kFastJoinAddressStatic = 1;

// Length 168, the AP tag's low byte, the PIN (at most 31 bytes, so a NUL always follows), the
// fixed block, the address mode and the address octets in dotted order.
_QELT_FASTJOIN_SEC_INFO MakeFastJoinSecurityInfo(uint32_t apTag, std::string_view pin, const CardIpSettings& ip);

// Length 8, the AP tag's low byte, then 1, 1, 0.
_QELT_FASTJOIN_SETUP_REQ MakeFastJoinSetupRequest(uint32_t apTag);

// The SSID the library learnt; none for a length of 0 (a nameless profile) or above 32.
std::optional<std::string> FastJoinSsid(const _QELT_FASTJOIN_SSID_INFO& info);

}  // namespace tembrel
