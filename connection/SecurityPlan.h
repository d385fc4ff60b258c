#pragma once
// How a profile's authMode and encryption codes become the NDIS numbers the library takes.

#include "profiles/Cipher.h"

#include <cstdint>
#include <optional>

namespace tembrel {

// NDIS 802.11 authentication modes.
enum NdisAuthMode : uint32_t {
    kNdisAuthOpen = 0,
    kNdisAuthShared = 1,
    kNdisAuthAutoSwitch = 2,
    kNdisAuthWpa = 3,
    kNdisAuthWpaPsk = 4,
    kNdisAuthWpa2 = 6,
    kNdisAuthWpa2Psk = 7,
};

// NDIS 802.11 encryption status.
enum NdisEncryptionStatus : uint32_t {
    kNdisWepEnabled = 0,
    kNdisEncryptionDisabled = 1,
    kNdisWepKeyAbsent = 2,
    kNdisTkipEnabled = 4,
    kNdisTkipKeyAbsent = 5,
    kNdisAesEnabled = 6,
    kNdisAesKeyAbsent = 7,
};

// The cipher is set but its key is not (yet) in place.
inline bool IsKeyAbsent(uint32_t encryptionStatus) {
    return encryptionStatus == kNdisWepKeyAbsent || encryptionStatus == kNdisTkipKeyAbsent ||
           encryptionStatus == kNdisAesKeyAbsent;
}

// The 802.1x identity call an infrastructure profile makes.
enum class IdentityCall { kNone, kLeap, kTls, kPeap, kTtls };

struct InfrastructureSecurity {
    uint32_t authValue = kNdisAuthOpen;  // to SetAuthMode
    uint32_t ccxNetworkEap = 0;          // to SetFswCCXNetworkEap
    IdentityCall identity = IdentityCall::kNone;
    friend bool operator==(const InfrastructureSecurity&, const InfrastructureSecurity&) = default;
};

// The row of an infrastructure profile's authMode (with its encryption where the row depends
// on it); every code outside the table is open authentication without identity.
InfrastructureSecurity InfrastructureSecurityFor(uint32_t authMode, int32_t encryption);

// The encryption status set for an encryption code; none for codes without a call.
std::optional<uint32_t> EncryptionStatusFor(int32_t encryption);

// WEP profiles set their static keys only with open, shared-key or auto-switch authentication.
inline bool UsesStaticWepKeys(uint32_t authMode) { return authMode == 0 || authMode == 1 || authMode == 4; }

}  // namespace tembrel
