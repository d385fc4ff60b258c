#pragma once
// The arguments every driver library accepts, the simulated card's as much as a real card's:
// one rule per argument, so that a value one library refuses with ZARN9100_RESULT_BAD_ARGUMENT
// no other takes. What a card then does with a valid value (keep it, or answer that it cannot)
// is the card's own.

#include "tembrel/common/ChannelPlan.h"
#include "tembrel/common/CollectedSecurity.h"

#include <Tembrel.h>

#include <cstdint>
#include <initializer_list>

namespace tembrel::abi::valid {

constexpr bool OneOf(uint32_t v, std::initializer_list<uint32_t> values) {
    for (uint32_t x : values) {
        if (x == v) return true;
    }
    return false;
}

constexpr bool Flag(uint32_t v) { return v <= 1; }  // monitor mode, boost, CCX network EAP, radio
constexpr bool NetworkMode(uint32_t v) { return v <= ZARN9100_NETWORK_INFRASTRUCTURE; }
constexpr bool WlanMode(uint32_t v) {
    return OneOf(v, {ZARN9100_WLAN_MODE_80211G, ZARN9100_WLAN_MODE_80211B, ZARN9100_WLAN_MODE_80211A,
                     ZARN9100_WLAN_MODE_ANY});
}
constexpr bool AdHocWlanMode(uint32_t v) { return v <= ZARN9100_WLAN_MODE_80211A; }
// 0 = automatic.
constexpr bool Channel(uint32_t v) { return v == 0 || IsSettableChannel(v); }
constexpr bool AuthMode(uint32_t v) { return v <= 255; }
constexpr bool WepStatus(uint32_t v) {
    return OneOf(v, {ZARN9100_ENCRYPTION_WEP, ZARN9100_ENCRYPTION_DISABLED, ZARN9100_ENCRYPTION_TKIP,
                     ZARN9100_ENCRYPTION_AES});
}
constexpr bool PowerMode(uint32_t v) { return v <= 2; }
constexpr bool Preamble(uint32_t v) { return v >= 1 && v <= 3; }
constexpr bool DataRate(uint32_t v) { return OneOf(v, {255, 2, 4, 11, 12, 18, 22, 24, 36, 48, 72, 96, 108}); }
constexpr bool FragThreshold(uint32_t v) { return v >= 256 && v <= 2346; }
constexpr bool RTSThreshold(uint32_t v) { return v <= 2347; }
constexpr bool TxPower(uint32_t v) { return v >= 1 && v <= 4; }
constexpr bool Antenna(uint32_t v) { return OneOf(v, {1, 2, 0xffff}); }
// First channel in bits 8..15, last in bits 0..7, 1 <= first <= last <= 14.
constexpr bool ChannelRange(uint32_t v) {
    return (v >> 16) == 0 && ((v >> 8) & 0xff) >= 1 && ((v >> 8) & 0xff) <= (v & 0xff) && (v & 0xff) <= 14;
}
constexpr bool SignalThreshold(uint32_t v) { return v >= 10 && v <= 200; }
constexpr bool TxFailThreshold(uint32_t v) { return v <= 100; }

// Bytes and their length, the length within `max`.
constexpr bool Text(const void* text, uint32_t length, uint32_t max) {
    return length <= max && (text != nullptr || length == 0);
}
constexpr bool Ssid(const char* ssid, uint32_t length) { return Text(ssid, length, 32); }
constexpr bool ProfileName(const char* name, uint32_t length) { return Text(name, length, 64); }
constexpr bool WepKeySlot(uint32_t index) { return index >= 1 && index <= 4; }
// SsidScan's request; networkType ZARN9100_SSID_SCAN_ANY_TYPE stands for the two-argument form.
constexpr bool SsidScan(const _ZARN9100_SSID_SCAN* request, uint32_t networkType) {
    return request != nullptr && request->SsidLength <= 32 &&
           (NetworkMode(networkType) || networkType == ZARN9100_SSID_SCAN_ANY_TYPE);
}
// EAP-TLS names its certificate by the thumbprint: without one there is no identity.
constexpr bool Identity(EapMethod method, const uint8_t* hash) { return method != EapMethod::Tls || hash != nullptr; }

}  // namespace tembrel::abi::valid
