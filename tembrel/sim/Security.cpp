#include "Security.h"

namespace tembrel::sim {

namespace {

uint32_t CipherStatus(Cipher c) {
    switch (c) {
    case Cipher::None: return ZARN9100_ENCRYPTION_DISABLED;
    case Cipher::Wep: return ZARN9100_ENCRYPTION_WEP;
    case Cipher::Tkip: return ZARN9100_ENCRYPTION_TKIP;
    case Cipher::Aes: return ZARN9100_ENCRYPTION_AES;
    }
    return ZARN9100_ENCRYPTION_DISABLED;
}

bool TransmitKeyMatches(const StationSecurity& s, const Network& n) {
    if (s.txKeyIndex < 1 || s.txKeyIndex > 4) return false;
    return s.wepKeys[s.txKeyIndex - 1] == n.wepKey;
}

MatchResult CheckIdentity(const StationSecurity& s, const Network& n) {
    if ((s.identity.method & n.eapMethods) == 0) return MatchResult::WrongEapMethod;
    if (s.identity.login != n.identity) return MatchResult::WrongCredentials;
    if (s.identity.method == kEapTls) {
        for (uint8_t b : s.identity.certificateHash) {
            if (b != 0) return MatchResult::Joined;
        }
        return MatchResult::WrongCredentials;
    }
    return s.identity.password == n.password ? MatchResult::Joined : MatchResult::WrongCredentials;
}

}  // namespace

MatchResult MatchSecurity(const StationSecurity& s, const Network& n) {
    const uint32_t a = s.authMode;
    switch (n.security) {
    case Security::Open:
        if (s.wepStatus != ZARN9100_ENCRYPTION_DISABLED) return MatchResult::WrongCipher;
        if (!n.adHoc && a != ZARN9100_AUTH_OPEN && a != ZARN9100_AUTH_AUTO_SWITCH) return MatchResult::WrongAuthMode;
        if (!n.adHoc && s.ccxNetworkEap != 0) return MatchResult::WrongAuthMode;
        return MatchResult::Joined;
    case Security::WepOpen:
    case Security::WepShared: {
        if (s.wepStatus != ZARN9100_ENCRYPTION_WEP) return MatchResult::WrongCipher;
        if (!n.adHoc) {
            const bool shared = n.security == Security::WepShared;
            const bool ok = a == ZARN9100_AUTH_AUTO_SWITCH || (shared ? a == ZARN9100_AUTH_SHARED : a == ZARN9100_AUTH_OPEN);
            if (!ok || s.ccxNetworkEap != 0) return MatchResult::WrongAuthMode;
        }
        return TransmitKeyMatches(s, n) ? MatchResult::Joined : MatchResult::WrongKey;
    }
    case Security::WpaPsk:
    case Security::Wpa2Psk: {
        const uint32_t want = n.security == Security::WpaPsk ? ZARN9100_AUTH_WPA_PSK : ZARN9100_AUTH_WPA2_PSK;
        if (a != want) return MatchResult::WrongAuthMode;
        if (s.wepStatus != CipherStatus(n.cipher)) return MatchResult::WrongCipher;
        return s.passphrase == n.passphrase ? MatchResult::Joined : MatchResult::WrongPassphrase;
    }
    case Security::WpaEap:
    case Security::Wpa2Eap: {
        const uint32_t want = n.security == Security::WpaEap ? ZARN9100_AUTH_WPA : ZARN9100_AUTH_WPA2;
        if (a != want) return MatchResult::WrongAuthMode;
        if (s.wepStatus != CipherStatus(n.cipher)) return MatchResult::WrongCipher;
        return CheckIdentity(s, n);
    }
    case Security::CcxLeap:
        if (s.ccxNetworkEap == 0 || (a != ZARN9100_AUTH_OPEN && a != ZARN9100_AUTH_AUTO_SWITCH))
            return MatchResult::WrongAuthMode;
        if (s.wepStatus != ZARN9100_ENCRYPTION_WEP) return MatchResult::WrongCipher;
        return CheckIdentity(s, n);
    }
    return MatchResult::WrongAuthMode;
}


std::string DescribeMatch(MatchResult r) {
    switch (r) {
    case MatchResult::Joined: return "joined";
    case MatchResult::WrongAuthMode: return "authentication mode does not match the network";
    case MatchResult::WrongCipher: return "encryption does not match the network";
    case MatchResult::WrongKey: return "WEP key does not match the network";
    case MatchResult::WrongPassphrase: return "passphrase does not match the network";
    case MatchResult::WrongEapMethod: return "802.1X method is not accepted by the network";
    case MatchResult::WrongCredentials: return "802.1X credentials were rejected";
    }
    return "unknown";
}

std::string RefusalText(const std::string& ssid, MatchResult r) {
    return "Authentication failed: \"" + ssid + "\": " + DescribeMatch(r);
}

std::string OutOfRangeText(const std::string& ssid) { return "Cannot join \"" + ssid + "\": the network is out of range"; }

const char* EapMethodName(unsigned method) {
    switch (method) {
    case kEapTls: return "EAP-TLS";
    case kEapPeap: return "PEAP";
    case kEapLeap: return "LEAP";
    case kEapTtls: return "EAP-TTLS";
    default: return "802.1X";
    }
}

}  // namespace tembrel::sim
