#include "ScanList.h"

#include "tembrel/common/ChannelPlan.h"

#include <TembrelCodes.h>

#include <algorithm>

namespace tembrel::sim {

namespace {

void AddElement(std::vector<uint8_t>& out, uint8_t id, const std::vector<uint8_t>& body) {
    out.push_back(id);
    out.push_back(uint8_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

uint8_t SuiteType(Cipher c) {
    switch (c) {
    case Cipher::Tkip: return 2;
    case Cipher::Aes: return 4;
    case Cipher::Wep: return 1;
    case Cipher::None: break;
    }
    return 0;
}

bool IsEap(Security s) { return s == Security::WpaEap || s == Security::Wpa2Eap; }

// RSN element body: version, group suite, one pairwise suite, one key management suite.
std::vector<uint8_t> RsnBody(Cipher cipher, bool eap) {
    const uint8_t t = SuiteType(cipher);
    return {0x01, 0x00, 0x00, 0x0f, 0xac, t, 0x01, 0x00, 0x00, 0x0f, 0xac, t,
            0x01, 0x00, 0x00, 0x0f, 0xac, uint8_t(eap ? 1 : 2), 0x00, 0x00};
}

// WPA vendor element body (OUI 00 50 F2, type 1), same shape without capabilities.
std::vector<uint8_t> WpaBody(Cipher cipher, bool eap) {
    const uint8_t t = SuiteType(cipher);
    return {0x00, 0x50, 0xf2, 0x01, 0x01, 0x00, 0x00, 0x50, 0xf2, t, 0x01,
            0x00, 0x00, 0x50, 0xf2, t,    0x01, 0x00, 0x00, 0x50, 0xf2, uint8_t(eap ? 1 : 2)};
}

uint16_t Capabilities(const Network& n) {
    uint16_t caps = n.adHoc ? 0x0002 : 0x0001;  // IBSS or ESS
    if (PrivacyRequired(n)) caps |= 0x0010;
    if (n.band != Band::A) caps |= 0x0020;       // short preamble
    if (n.band == Band::G) caps |= 0x0400;       // short slot time
    return caps;
}

}  // namespace

std::vector<uint8_t> BeaconElements(const Network& n, bool revealSsid) {
    std::vector<uint8_t> ies;
    const bool showSsid = !n.hidden || revealSsid;
    AddElement(ies, 0, showSsid ? std::vector<uint8_t>(n.ssid.begin(), n.ssid.end()) : std::vector<uint8_t>{});
    const std::vector<uint8_t> rates = BandRates(n.band);
    const size_t first = std::min<size_t>(rates.size(), 8);
    AddElement(ies, 1, std::vector<uint8_t>(rates.begin(), rates.begin() + long(first)));
    if (!IsFiveGigahertz(n.channel)) AddElement(ies, 3, {uint8_t(n.channel)});
    if (n.adHoc) AddElement(ies, 6, {0x00, 0x00});                   // IBSS parameter set
    else AddElement(ies, 5, {0x00, 0x01, 0x00, 0x00});               // TIM
    if (!n.adHoc) {
        if (IsFiveGigahertz(n.channel)) AddElement(ies, 7, {'U', 'S', ' ', 36, 4, 17, 52, 4, 23, 149, 5, 30});
        else AddElement(ies, 7, {'U', 'S', ' ', 1, 11, 30});
    }
    if (n.band == Band::G) AddElement(ies, 42, {0x00});              // ERP information
    if (n.security == Security::Wpa2Psk || n.security == Security::Wpa2Eap)
        AddElement(ies, 48, RsnBody(n.cipher, IsEap(n.security)));
    if (rates.size() > 8) AddElement(ies, 50, std::vector<uint8_t>(rates.begin() + 8, rates.end()));
    if (n.security == Security::WpaPsk || n.security == Security::WpaEap)
        AddElement(ies, 0xdd, WpaBody(n.cipher, IsEap(n.security)));
    if (n.security == Security::CcxLeap)
        AddElement(ies, 0xdd, {0x00, 0x40, 0x96, 0x04, 0x00, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    if (n.autoLink.present) {
        const uint8_t stateBits = n.autoLink.state == 0 ? 0x01 : n.autoLink.state == 1 ? 0x02 : 0x04;
        AddElement(ies, 0xdd, {0x00, 0x3a, 0x7e, 0x00, 0x00, n.autoLink.apTag, stateBits});
    }
    return ies;
}

std::vector<uint8_t> BuildScanEntry(const ScanResult& result) {
    const Network& n = result.network;
    abi::ScanEntryFields f;
    f.bssid = n.bssid;
    if (!n.hidden || result.ssidRevealed) f.ssid.assign(n.ssid.begin(), n.ssid.end());
    f.privacy = PrivacyRequired(n);
    f.rssiDbm = result.rssiDbm;
    f.networkTypeInUse = n.band == Band::A   ? ZARN9100_NETWORK_TYPE_OFDM5
                         : n.band == Band::B ? ZARN9100_NETWORK_TYPE_DS
                                             : ZARN9100_NETWORK_TYPE_OFDM24;
    f.beaconIntervalTu = n.beaconIntervalTu;
    f.frequencyMHz = abi::ChannelFrequencyMHz(n.channel);
    f.adHoc = n.adHoc;
    f.capabilities = Capabilities(n);
    f.elements = BeaconElements(n, result.ssidRevealed);
    return abi::EncodeScanEntry(f);
}

std::vector<std::vector<uint8_t>> BuildScanEntries(const std::vector<ScanResult>& results) {
    std::vector<std::vector<uint8_t>> entries;
    entries.reserve(results.size());
    for (const ScanResult& r : results) entries.push_back(BuildScanEntry(r));
    return entries;
}

}  // namespace tembrel::sim
