#include "Environment.h"

namespace tembrel::sim {

namespace {

constexpr int32_t kAutoLinkOutOfRangeDbm = -100;  // below what the card hears, drift included

Network Make(const char* ssid, MacAddress bssid, uint32_t channel, Band band, Security security, int32_t level) {
    Network n;
    n.ssid = ssid;
    n.bssid = bssid;
    n.channel = channel;
    n.band = band;
    n.security = security;
    n.cipher = DefaultCipher(security);
    n.levelDbm = level;
    n.rssiDbm = level;
    return n;
}

std::vector<uint8_t> Bytes(const char* text) {
    std::vector<uint8_t> out;
    for (const char* p = text; *p != '\0'; ++p) out.push_back(uint8_t(*p));
    return out;
}

}  // namespace

Environment DefaultEnvironment() {
    Environment env;
    auto& nets = env.networks;

    nets.push_back(Make("Orvix-Open-G", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x01}, 6, Band::G, Security::Open, -48));
    nets.push_back(Make("Lobby-11b", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x02}, 1, Band::B, Security::Open, -67));

    Network wep40 = Make("Lab-WEP64", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x03}, 11, Band::G, Security::WepOpen, -60);
    wep40.wepKey = {0x12, 0x34, 0x56, 0x78, 0x90};
    nets.push_back(wep40);

    Network wep104 =
        Make("Lab-WEP128-Shared", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x04}, 3, Band::B, Security::WepShared, -71);
    wep104.wepKey = Bytes("orvixwepkey13");
    nets.push_back(wep104);

    Network wpa = Make("Home-WPA", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x05}, 9, Band::G, Security::WpaPsk, -55);
    wpa.passphrase = "orvix-passphrase";
    nets.push_back(wpa);

    Network wpa2 = Make("Home-WPA2", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x06}, 4, Band::G, Security::Wpa2Psk, -62);
    wpa2.passphrase = "correct horse battery";
    nets.push_back(wpa2);

    Network corp = Make("Corp-WPA-1X", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x07}, 1, Band::G, Security::WpaEap, -58);
    corp.eapMethods = kEapPeap | kEapTtls | kEapTls | kEapLeap;
    corp.identity = "alice";
    corp.password = "wonderland";
    nets.push_back(corp);

    Network corp2 = Make("Corp-WPA2-1X", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x08}, 11, Band::G, Security::Wpa2Eap, -64);
    corp2.eapMethods = kEapPeap | kEapTtls | kEapTls | kEapLeap;
    corp2.identity = "alice";
    corp2.password = "wonderland";
    nets.push_back(corp2);

    Network leap = Make("Cisco-LEAP", {0x00, 0x40, 0x96, 0x10, 0x00, 0x09}, 6, Band::G, Security::CcxLeap, -70);
    leap.eapMethods = kEapLeap | kEapPeap;
    leap.identity = "bob";
    leap.password = "builder";
    nets.push_back(leap);

    nets.push_back(Make("Studio-5G", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x0a}, 36, Band::A, Security::Open, -57));

    Network hidden = Make("Secret-Hidden", {0x00, 0x1d, 0x4f, 0x10, 0x00, 0x0b}, 8, Band::G, Security::Wpa2Psk, -66);
    hidden.hidden = true;
    hidden.passphrase = "hidden-passphrase";
    nets.push_back(hidden);

    Network peer = Make("PeerNet", {0x02, 0x1d, 0x4f, 0x20, 0x00, 0x0c}, 10, Band::G, Security::Open, -63);
    peer.adHoc = true;
    nets.push_back(peer);

    // The Auto Link access points start out of range (few users have one near, and the Auto
    // Link dialog would greet every first start); "tembrelctl signal Orvix-AutoLink-New -50"
    // brings one in.
    Network fresh = Make("Orvix-AutoLink-New", {0x00, 0x3a, 0x7e, 0x00, 0x00, 0x0d}, 2, Band::G, Security::Open,
                         kAutoLinkOutOfRangeDbm);
    fresh.autoLink = AutoLinkInfo{true, 0, 0x21, "12345678"};
    nets.push_back(fresh);

    Network configured =
        Make("Orvix-AutoLink-Set", {0x00, 0x3a, 0x7e, 0x00, 0x00, 0x0e}, 7, Band::G, Security::WpaPsk,
             kAutoLinkOutOfRangeDbm);
    configured.passphrase = "87654321";
    configured.autoLink = AutoLinkInfo{true, 1, 0x22, "87654321"};
    nets.push_back(configured);

    Network manual =
        Make("Orvix-AutoLink-Manual", {0x00, 0x3a, 0x7e, 0x00, 0x00, 0x0f}, 5, Band::G, Security::Wpa2Psk,
             kAutoLinkOutOfRangeDbm);
    manual.passphrase = "manual-passphrase";
    manual.autoLink = AutoLinkInfo{true, 2, 0x23, ""};
    nets.push_back(manual);

    return env;
}

}  // namespace tembrel::sim
