#pragma once
// One radio in the simulated environment: an access point or an ad-hoc station, with what
// its beacons announce and what it demands of a station that wants to join.

#include "tembrel/common/MacText.h"

#include <TembrelCodes.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tembrel::sim {

using abi::MacAddress;

// Band codes as the utility numbers them (the wireless modes of TembrelCodes.h).
enum class Band : uint32_t {
    G = ZARN9100_WLAN_MODE_80211G,
    B = ZARN9100_WLAN_MODE_80211B,
    A = ZARN9100_WLAN_MODE_80211A,
};

enum class Security {
    Open,
    WepOpen,    // static WEP key, open-system authentication
    WepShared,  // static WEP key, shared-key authentication
    WpaPsk,
    Wpa2Psk,
    WpaEap,
    Wpa2Eap,
    CcxLeap,    // Cisco network EAP with dynamic WEP
};

enum class Cipher { None, Wep, Tkip, Aes };

// 802.1x methods a network's authentication server accepts (bit set).
enum EapMethod : unsigned { kEapTls = 1, kEapPeap = 2, kEapLeap = 4, kEapTtls = 8 };

struct AutoLinkInfo {
    bool present = false;
    int state = 0;        // 0 unconfigured, 1 configured by Auto Link, 2 configured by hand
    uint8_t apTag = 0;
    std::string pin;      // what an unconfigured access point expects
    bool silent = false;  // never answers: no exchange steps, no 1008 after joining
};

struct Network {
    std::string ssid;
    MacAddress bssid{};
    uint32_t channel = 1;
    Band band = Band::G;
    bool adHoc = false;
    bool hidden = false;     // beacons carry an empty SSID
    Security security = Security::Open;
    Cipher cipher = Cipher::None;
    std::vector<uint8_t> wepKey;  // 5 or 13 bytes
    uint32_t wepKeyIndex = 1;     // 1..4
    std::string passphrase;
    unsigned eapMethods = 0;
    std::string identity;
    std::string password;
    int32_t levelDbm = -60;  // the level the signal drifts around
    int32_t rssiDbm = -60;   // the current reading
    AutoLinkInfo autoLink;
    uint16_t beaconIntervalTu = 100;
};

bool IsFiveGigahertz(uint32_t channel);
bool IsValidChannel(uint32_t channel);
bool PrivacyRequired(const Network& n);
Cipher DefaultCipher(Security s);
// Supported rates in 500 kbit/s units, basic rates flagged with bit 7.
std::vector<uint8_t> BandRates(Band band);
std::string SecurityName(Security s);
bool ParseSecurity(const std::string& text, Security& out);
std::string FormatMac(const MacAddress& mac);

}  // namespace tembrel::sim
