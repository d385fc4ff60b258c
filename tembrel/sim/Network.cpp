#include "Network.h"

#include "tembrel/common/ChannelPlan.h"

#include <cstdio>

namespace tembrel::sim {

namespace {
struct SecurityText {
    Security security;
    const char* text;
};
constexpr SecurityText kSecurityTexts[] = {
    {Security::Open, "open"},          {Security::WepOpen, "wep-open"},
    {Security::WepShared, "wep-shared"}, {Security::WpaPsk, "wpa-psk"},
    {Security::Wpa2Psk, "wpa2-psk"},   {Security::WpaEap, "wpa-eap"},
    {Security::Wpa2Eap, "wpa2-eap"},   {Security::CcxLeap, "ccx-leap"},
};
}  // namespace

bool IsFiveGigahertz(uint32_t channel) { return abi::IsFiveGhzChannel(channel); }

bool IsValidChannel(uint32_t channel) { return abi::IsSettableChannel(channel); }

bool PrivacyRequired(const Network& n) { return n.security != Security::Open; }

Cipher DefaultCipher(Security s) {
    switch (s) {
    case Security::Open: return Cipher::None;
    case Security::WepOpen:
    case Security::WepShared:
    case Security::CcxLeap: return Cipher::Wep;
    case Security::WpaPsk:
    case Security::WpaEap: return Cipher::Tkip;
    case Security::Wpa2Psk:
    case Security::Wpa2Eap: return Cipher::Aes;
    }
    return Cipher::None;
}

std::vector<uint8_t> BandRates(Band band) {
    switch (band) {
    case Band::B: return {0x82, 0x84, 0x8b, 0x96};
    case Band::A: return {0x8c, 0x12, 0x98, 0x24, 0xb0, 0x48, 0x60, 0x6c};
    case Band::G: break;
    }
    return {0x82, 0x84, 0x8b, 0x96, 0x0c, 0x12, 0x18, 0x24, 0x30, 0x48, 0x60, 0x6c};
}

std::string SecurityName(Security s) {
    for (const auto& t : kSecurityTexts) {
        if (t.security == s) return t.text;
    }
    return "open";
}

bool ParseSecurity(const std::string& text, Security& out) {
    for (const auto& t : kSecurityTexts) {
        if (text == t.text) {
            out = t.security;
            return true;
        }
    }
    return false;
}

std::string FormatMac(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                  mac[4], mac[5]);
    return text;
}

}  // namespace tembrel::sim
