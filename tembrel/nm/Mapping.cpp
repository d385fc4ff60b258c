#include "Mapping.h"

#include "tembrel/common/ChannelPlan.h"
#include "tembrel/common/ScanEntryLayout.h"

#include <NetworkManager.h>
#include <TembrelCodes.h>

#include <algorithm>
#include <array>

namespace tembrel::nm {

namespace {

constexpr uint16_t kBeaconIntervalTu = 100;
constexpr uint16_t kCapEss = 0x0001, kCapIbss = 0x0002, kCapPrivacy = 0x0010;

using Bytes = std::vector<uint8_t>;

void AddElement(Bytes& ies, uint8_t id, const Bytes& body) {
    ies.push_back(id);
    ies.push_back(uint8_t(body.size()));
    ies.insert(ies.end(), body.begin(), body.end());
}

void AddSuite(Bytes& body, const uint8_t oui[3], uint8_t type) {
    body.insert(body.end(), oui, oui + 3);
    body.push_back(type);
}

// Version, group cipher, pairwise ciphers and key managements of a WPA or RSN element, the
// strongest first (the utility takes the first of each). Suite types are the same numbers in
// both: 1 WEP-40, 2 TKIP, 4 CCMP, 5 WEP-104; key management 1 802.1x, 2 PSK, 8 SAE.
Bytes SecuritySuites(const uint8_t oui[3], uint32_t f) {
    Bytes body{1, 0};
    const uint8_t group = (f & NM_802_11_AP_SEC_GROUP_CCMP)     ? 4
                          : (f & NM_802_11_AP_SEC_GROUP_TKIP)   ? 2
                          : (f & NM_802_11_AP_SEC_GROUP_WEP104) ? 5
                          : (f & NM_802_11_AP_SEC_GROUP_WEP40)  ? 1
                                                                : 4;
    AddSuite(body, oui, group);
    Bytes pairwise;
    if (f & NM_802_11_AP_SEC_PAIR_CCMP) AddSuite(pairwise, oui, 4);
    if (f & NM_802_11_AP_SEC_PAIR_TKIP) AddSuite(pairwise, oui, 2);
    if (pairwise.empty()) AddSuite(pairwise, oui, group);
    body.push_back(uint8_t(pairwise.size() / 4));
    body.push_back(0);
    body.insert(body.end(), pairwise.begin(), pairwise.end());
    Bytes akm;
    if (f & NM_802_11_AP_SEC_KEY_MGMT_802_1X) AddSuite(akm, oui, 1);
    if (f & NM_802_11_AP_SEC_KEY_MGMT_PSK) AddSuite(akm, oui, 2);
    if (f & NM_802_11_AP_SEC_KEY_MGMT_SAE) AddSuite(akm, oui, 8);
    body.push_back(uint8_t(akm.size() / 4));
    body.push_back(0);
    body.insert(body.end(), akm.begin(), akm.end());
    return body;
}

// Rates in units of 500 kbit/s, basic rates flagged: 802.11a, 802.11b, or 802.11g with its
// extended rates (1, 2, 5.5, 11 basic; 6, 9, 12, 18 here; 24 to 54 in element 50).
void AddRates(Bytes& ies, const AccessPointFacts& ap) {
    if (ap.frequencyMHz >= 4900) {
        AddElement(ies, 1, {0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C});
    } else if (ap.maxBitrateKbps > 11000) {
        AddElement(ies, 1, {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24});
        AddElement(ies, 50, {0x30, 0x48, 0x60, 0x6C});
    } else {
        AddElement(ies, 1, {0x82, 0x84, 0x8B, 0x96});
    }
}

}  // namespace

int32_t DbmOfStrength(uint32_t percent) {
    const int32_t p = int32_t(std::min<uint32_t>(percent, 100));
    return -40 - ((100 - p) * 60 + 50) / 100;
}

std::vector<uint8_t> BuildScanEntry(const AccessPointFacts& ap) {
    const uint32_t channel = abi::ChannelAtFrequencyMHz(ap.frequencyMHz);
    if (ap.ssid.size() > 32 || channel == 0) return {};
    const bool privacy = (ap.flags & NM_802_11_AP_FLAGS_PRIVACY) != 0;

    Bytes ies;
    AddElement(ies, 0, ap.ssid);
    AddRates(ies, ap);
    AddElement(ies, 3, {uint8_t(channel)});
    static const uint8_t kRsnOui[3] = {0x00, 0x0F, 0xAC};
    static const uint8_t kWpaOui[3] = {0x00, 0x50, 0xF2};
    if (ap.rsnFlags != 0) AddElement(ies, 0x30, SecuritySuites(kRsnOui, ap.rsnFlags));
    if (ap.wpaFlags != 0) {
        Bytes body{0x00, 0x50, 0xF2, 0x01};
        const Bytes suites = SecuritySuites(kWpaOui, ap.wpaFlags);
        body.insert(body.end(), suites.begin(), suites.end());
        AddElement(ies, 0xDD, body);
    }

    abi::ScanEntryFields f;
    f.bssid = std::to_array(ap.bssid);
    f.ssid = ap.ssid;
    f.privacy = privacy;
    f.rssiDbm = DbmOfStrength(ap.strengthPercent);
    f.networkTypeInUse = ap.frequencyMHz >= 4900     ? ZARN9100_NETWORK_TYPE_OFDM5
                         : ap.maxBitrateKbps > 11000 ? ZARN9100_NETWORK_TYPE_OFDM24
                                                     : ZARN9100_NETWORK_TYPE_DS;
    f.beaconIntervalTu = kBeaconIntervalTu;
    f.frequencyMHz = ap.frequencyMHz;
    f.adHoc = ap.adHoc;
    f.capabilities = uint16_t((ap.adHoc ? kCapIbss : kCapEss) | (privacy ? kCapPrivacy : 0));
    f.elements = std::move(ies);
    return abi::EncodeScanEntry(f);
}

Refusal RefusalOf(uint32_t reason) {
    constexpr int kNoNetwork = 1, kSecurityRefused = 2;
    switch (reason) {
    case NM_DEVICE_STATE_REASON_NO_SECRETS:
        return {kSecurityRefused, "Authentication failed: no secrets"};
    case NM_DEVICE_STATE_REASON_SUPPLICANT_TIMEOUT:
        return {kSecurityRefused, "Authentication failed: the supplicant timed out"};
    case NM_DEVICE_STATE_REASON_SUPPLICANT_DISCONNECT:
        return {kSecurityRefused, "Authentication failed: the network disconnected the supplicant"};
    case NM_DEVICE_STATE_REASON_SUPPLICANT_CONFIG_FAILED:
        return {kSecurityRefused, "Authentication failed: the supplicant refused the settings"};
    case NM_DEVICE_STATE_REASON_SUPPLICANT_FAILED:
        return {kSecurityRefused, "Authentication failed: the supplicant failed"};
    case NM_DEVICE_STATE_REASON_SUPPLICANT_AVAILABLE:
        return {kSecurityRefused, "Authentication failed: the supplicant is not running"};
    case NM_DEVICE_STATE_REASON_SSID_NOT_FOUND:
        return {kNoNetwork, "Connection failed: the network is not in range"};
    case NM_DEVICE_STATE_REASON_CARRIER:
        return {kNoNetwork, "Connection failed: no link"};
    case NM_DEVICE_STATE_REASON_IP_CONFIG_UNAVAILABLE:
    case NM_DEVICE_STATE_REASON_IP_CONFIG_EXPIRED:
    case NM_DEVICE_STATE_REASON_DHCP_FAILED:
    case NM_DEVICE_STATE_REASON_DHCP_ERROR:
        return {kNoNetwork, "Connection failed: no address"};
    default:
        return {kNoNetwork, "Connection failed: NetworkManager reason " + std::to_string(reason)};
    }
}

}  // namespace tembrel::nm
