#include "pages/profiles/logic/SecurityRules.h"

namespace tembrel {

namespace {
const char* const kTls = "EAP/TLS (Use Certificate)";
const char* const kPeap = "Protected EAP (PEAP) ";
const char* const kLeap = "Light EAP (LEAP)";
}  // namespace

bool IsAuthenticationGroup(uint32_t authentication) { return authentication >= kGroupWpa && authentication <= kGroup8021x; }

bool IsPskAuthentication(uint32_t authentication) { return authentication == kAuthWpaPsk || authentication == kAuthWpa2Psk; }

std::vector<Choice> AuthenticationChoices(bool adHoc) {
    std::vector<Choice> choices{{"Open System", kAuthOpenSystem}, {"Shared Key", kAuthSharedKey}, {"Auto Switch", kAuthAutoSwitch}};
    if (!adHoc) {
        choices.insert(choices.end(), {{"802.1x", kGroup8021x},
                                       {"WPA-PSK", kAuthWpaPsk},
                                       {"WPA2-PSK", kAuthWpa2Psk},
                                       {"WPA", kGroupWpa},
                                       {"WPA2", kGroupWpa2},
                                       {"CCX", kGroupCcx}});
    }
    return choices;
}

uint32_t GroupOfProtocol(uint32_t protocol) {
    switch (protocol) {
    case kAuthWpaLeap: case kAuthWpaTls: case kAuthWpaPeap: case kAuthWpaTtls: return kGroupWpa;
    case kAuthWpa2Tls: case kAuthWpa2Peap: case kAuthWpa2Ttls: case kAuthWpa2Leap: return kGroupWpa2;
    case kAuthCcxLeap: case kAuthCcxPeap: return kGroupCcx;
    case kAuth8021xTls: case kAuth8021xPeap: case kAuth8021xTtls: return kGroup8021x;
    default: return protocol;
    }
}

AuthenticationSplit SplitAuthMode(uint32_t authMode) {
    const uint32_t group = GroupOfProtocol(authMode);
    if (group != authMode) return {group, authMode};
    return {authMode, 0};
}

std::vector<Choice> ProtocolChoices(uint32_t group) {
    switch (group) {
    case kGroupWpa: return {{kTls, kAuthWpaTls}, {kPeap, kAuthWpaPeap}, {kLeap, kAuthWpaLeap}};
    case kGroupWpa2: return {{kTls, kAuthWpa2Tls}, {kPeap, kAuthWpa2Peap}, {kLeap, kAuthWpa2Leap}};
    case kGroupCcx: return {{kLeap, kAuthCcxLeap}};
    case kGroup8021x: return {{kTls, kAuth8021xTls}, {kPeap, kAuth8021xPeap}};
    default: return {};
    }
}

std::vector<Choice> EncryptionChoices(uint32_t authentication, uint32_t protocol) {
    switch (authentication) {
    case kAuthOpenSystem: case kAuthAutoSwitch: case kGroupCcx:
        return {{"Security Off", kCipherNone}, {"WEP", kCipherWep}};
    case kAuthSharedKey: case kGroup8021x:
        return {{"WEP", kCipherWep}};
    case kAuthWpaPsk: case kAuthWpa2Psk:
        return {{"TKIP", kCipherTkip}, {"AES", kCipherAes}};
    case kGroupWpa: case kGroupWpa2: {
        std::vector<Choice> choices;
        if (protocol != kAuthWpa2Leap) choices.push_back({"TKIP", kCipherTkip});
        if (protocol != kAuthWpaLeap) choices.push_back({"AES", kCipherAes});
        return choices;
    }
    default: return {};
    }
}

int32_t DefaultEncryption(uint32_t authentication, uint32_t protocol) {
    switch (authentication) {
    case kGroupCcx: case kAuthSharedKey: case kGroup8021x: return kCipherWep;
    case kAuthWpaPsk: case kAuthWpa2Psk: return kCipherTkip;
    case kGroupWpa: case kGroupWpa2: return static_cast<int32_t>(EncryptionChoices(authentication, protocol).front().value);
    default: return kCipherNone;
    }
}

std::optional<std::string> CheckCredentials(uint32_t protocol, const Credentials& c) {
    const bool login = !c.loginName.empty();
    const bool password = !c.password.empty();
    switch (protocol) {
    case kAuthWpaTls: case kAuthWpa2Tls: case kAuth8021xTls:
        if (login && !c.certificateName.empty()) return std::nullopt;
        return "Illegal login name or certificate for WPA authentication!";
    case kAuthWpaPeap: case kAuthWpa2Peap: case kAuth8021xPeap: case kAuthWpaLeap: case kAuthWpa2Leap:
        if (login && password) return std::nullopt;
        return "Illegal login name or password for WPA authentication!";
    case kAuthCcxLeap: case kAuthCcxPeap:
        if (login && password) return std::nullopt;
        return "Illegal login name or password for CCX authentication!";
    case kAuthWpaTtls: case kAuthWpa2Ttls: case kAuth8021xTtls:
        if (login && password && !c.anonymousName.empty()) return std::nullopt;
        return "Illegal anonymous name, login name, or password for WPA authentication!";
    default: return std::nullopt;
    }
}

}  // namespace tembrel
