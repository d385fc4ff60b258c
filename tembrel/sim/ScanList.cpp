#include "ScanList.h"

#include "tembrel/common/ChannelPlan.h"

#include <algorithm>
#include <cstring>

namespace tembrel::sim {

namespace {

void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

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
    const std::vector<uint8_t> ies = BeaconElements(n, result.ssidRevealed);
    const size_t raw = kEntryFixedSize + ies.size();
    std::vector<uint8_t> e((raw + 3) & ~size_t(3), 0);
    PutU32(e, 0, uint32_t(e.size()));
    std::memcpy(&e[4], n.bssid.data(), 6);
    const bool showSsid = !n.hidden || result.ssidRevealed;
    const size_t ssidLength = showSsid ? std::min<size_t>(n.ssid.size(), 32) : 0;
    PutU32(e, 12, uint32_t(ssidLength));
    std::memcpy(&e[16], n.ssid.data(), ssidLength);
    PutU32(e, 48, PrivacyRequired(n) ? 1 : 0);
    PutU32(e, 52, uint32_t(result.rssiDbm));
    // NDIS network type in use: 1 DS (802.11b), 2 OFDM 5 GHz, 3 OFDM 2.4 GHz.
    PutU32(e, 56, n.band == Band::A ? 2 : n.band == Band::B ? 1 : 3);
    PutU32(e, 60, 32);
    PutU32(e, 64, n.beaconIntervalTu);
    PutU32(e, 68, 0);
    PutU32(e, 72, abi::ChannelFrequencyMHz(n.channel) * 1000);
    PutU32(e, 92, n.adHoc ? 0 : 1);
    const std::vector<uint8_t> rates = BandRates(n.band);
    std::copy(rates.begin(), rates.begin() + long(std::min<size_t>(rates.size(), 16)), e.begin() + 96);
    PutU32(e, 112, uint32_t(kIeFixedPart + ies.size()));
    // 116..123 timestamp stays 0; beacon interval and capabilities follow.
    PutU16(e, 124, n.beaconIntervalTu);
    PutU16(e, 126, Capabilities(n));
    std::copy(ies.begin(), ies.end(), e.begin() + long(kEntryFixedSize));
    return e;
}

ScanListWrite WriteScanList(const std::vector<ScanResult>& results, uint8_t* buffer, uint32_t capacity) {
    ScanListWrite w;
    if (buffer == nullptr || capacity < 4) return w;
    uint32_t at = 4;
    w.complete = true;
    for (const ScanResult& r : results) {
        const std::vector<uint8_t> entry = BuildScanEntry(r);
        if (entry.size() > capacity - at) {
            w.complete = false;
            break;
        }
        std::memcpy(buffer + at, entry.data(), entry.size());
        at += uint32_t(entry.size());
        ++w.entriesWritten;
    }
    const uint32_t count = w.entriesWritten;
    for (size_t i = 0; i < 4; ++i) buffer[i] = uint8_t(count >> (8 * i));
    w.bytesWritten = at;
    return w;
}

}  // namespace tembrel::sim
