#pragma once
// How a profile's authMode and encryption codes become the NDIS numbers the library takes.

#include "profiles/AuthMode.h"
#include "profiles/Cipher.h"

#include <TembrelCodes.h>

#include <cstdint>
#include <optional>

namespace tembrel {

// The cipher is set but its key is not (yet) in place.
inline bool IsKeyAbsent(uint32_t encryptionStatus) {
    return encryptionStatus == ZARN9100_ENCRYPTION_WEP_KEY_ABSENT ||
           encryptionStatus == ZARN9100_ENCRYPTION_TKIP_KEY_ABSENT || encryptionStatus == ZARN9100_ENCRYPTION_AES_KEY_ABSENT;
}

// The 802.1x identity call an infrastructure profile makes.
enum class IdentityCall { kNone, kLeap, kTls, kPeap, kTtls };

struct InfrastructureSecurity {
    uint32_t authValue = ZARN9100_AUTH_OPEN;  // to SetAuthMode
    uint32_t ccxNetworkEap = 0;          // to SetFswCCXNetworkEap
    IdentityCall identity = IdentityCall::kNone;
    friend bool operator==(const InfrastructureSecurity&, const InfrastructureSecurity&) = default;
};

// The row of an infrastructure profile's authMode (with its encryption where the row depends
// on it); every code outside the table is open authentication without identity.
InfrastructureSecurity InfrastructureSecurityFor(uint32_t authMode, int32_t encryption);

// The encryption status set for an encryption code; none for codes without a call.
std::optional<uint32_t> EncryptionStatusFor(int32_t encryption);


}  // namespace tembrel
