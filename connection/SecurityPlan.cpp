#include "connection/SecurityPlan.h"

namespace tembrel {

InfrastructureSecurity InfrastructureSecurityFor(uint32_t authMode, int32_t encryption) {
    // WPA-family 802.1x rows fall back to open authentication for WEP profiles.
    const auto unlessWep = [encryption](uint32_t value) -> uint32_t {
        return encryption == kCipherWep ? ZARN9100_AUTH_OPEN : value;
    };
    switch (authMode) {
        case kAuthSharedKey: return {ZARN9100_AUTH_SHARED, 0, IdentityCall::kNone};
        case kAuthWpaPsk: return {ZARN9100_AUTH_WPA_PSK, 0, IdentityCall::kNone};
        case kAuthAutoSwitch: return {ZARN9100_AUTH_AUTO_SWITCH, 0, IdentityCall::kNone};
        case kAuthWpa2Psk: return {ZARN9100_AUTH_WPA2_PSK, 0, IdentityCall::kNone};
        case kAuthWpaLeap:
        case kAuthWpa2Leap: {
            const uint32_t value = encryption == kCipherTkip  ? ZARN9100_AUTH_WPA
                                   : encryption == kCipherAes ? ZARN9100_AUTH_WPA2
                                                                  : ZARN9100_AUTH_OPEN;
            return {value, 0, IdentityCall::kLeap};
        }
        case kAuthWpaTls:
        case kAuth8021xTls: return {unlessWep(ZARN9100_AUTH_WPA), 0, IdentityCall::kTls};
        case kAuthWpaPeap:
        case kAuth8021xPeap: return {unlessWep(ZARN9100_AUTH_WPA), 0, IdentityCall::kPeap};
        case kAuthWpaTtls:
        case kAuth8021xTtls: return {unlessWep(ZARN9100_AUTH_WPA), 0, IdentityCall::kTtls};
        case kAuthWpa2Tls: return {unlessWep(ZARN9100_AUTH_WPA2), 0, IdentityCall::kTls};
        case kAuthWpa2Peap: return {unlessWep(ZARN9100_AUTH_WPA2), 0, IdentityCall::kPeap};
        case kAuthWpa2Ttls: return {unlessWep(ZARN9100_AUTH_WPA2), 0, IdentityCall::kTtls};
        case kAuthCcxLeap: return {ZARN9100_AUTH_OPEN, 1, IdentityCall::kLeap};
        case kAuthCcxPeap: return {ZARN9100_AUTH_OPEN, 1, IdentityCall::kPeap};
        default: return {ZARN9100_AUTH_OPEN, 0, IdentityCall::kNone};
    }
}

std::optional<uint32_t> EncryptionStatusFor(int32_t encryption) {
    switch (encryption) {
        case kCipherNone: return ZARN9100_ENCRYPTION_DISABLED;
        case kCipherWep: return ZARN9100_ENCRYPTION_WEP;
        case kCipherTkip: return ZARN9100_ENCRYPTION_TKIP;
        case kCipherAes: return ZARN9100_ENCRYPTION_AES;
        default: return std::nullopt;
    }
}

}  // namespace tembrel
