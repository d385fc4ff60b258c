#include "connection/SecurityPlan.h"

namespace tembrel {

InfrastructureSecurity InfrastructureSecurityFor(uint32_t authMode, int32_t encryption) {
    // WPA-family 802.1x rows fall back to open authentication for WEP profiles.
    const auto unlessWep = [encryption](uint32_t value) -> uint32_t {
        return encryption == kCipherWep ? kNdisAuthOpen : value;
    };
    switch (authMode) {
        case 1: return {kNdisAuthShared, 0, IdentityCall::kNone};
        case 2: return {kNdisAuthWpaPsk, 0, IdentityCall::kNone};
        case 4: return {kNdisAuthAutoSwitch, 0, IdentityCall::kNone};
        case 9: return {kNdisAuthWpa2Psk, 0, IdentityCall::kNone};
        case 3:
        case 14: {
            const uint32_t value = encryption == kCipherTkip  ? kNdisAuthWpa
                                   : encryption == kCipherAes ? kNdisAuthWpa2
                                                                  : kNdisAuthOpen;
            return {value, 0, IdentityCall::kLeap};
        }
        case 5:
        case 15: return {unlessWep(kNdisAuthWpa), 0, IdentityCall::kTls};
        case 6:
        case 16: return {unlessWep(kNdisAuthWpa), 0, IdentityCall::kPeap};
        case 7:
        case 17: return {unlessWep(kNdisAuthWpa), 0, IdentityCall::kTtls};
        case 10: return {unlessWep(kNdisAuthWpa2), 0, IdentityCall::kTls};
        case 11: return {unlessWep(kNdisAuthWpa2), 0, IdentityCall::kPeap};
        case 12: return {unlessWep(kNdisAuthWpa2), 0, IdentityCall::kTtls};
        case 8: return {kNdisAuthOpen, 1, IdentityCall::kLeap};
        case 13: return {kNdisAuthOpen, 1, IdentityCall::kPeap};
        default: return {kNdisAuthOpen, 0, IdentityCall::kNone};
    }
}

std::optional<uint32_t> EncryptionStatusFor(int32_t encryption) {
    switch (encryption) {
        case kCipherNone: return kNdisEncryptionDisabled;
        case kCipherWep: return kNdisWepEnabled;
        case kCipherTkip: return kNdisTkipEnabled;
        case kCipherAes: return kNdisAesEnabled;
        default: return std::nullopt;
    }
}

}  // namespace tembrel
