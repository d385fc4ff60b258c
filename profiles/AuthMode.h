#pragma once
// A profile's authMode codes: the modes chosen directly, and the 802.1x codes that combine an
// authentication family with a protocol. The families themselves are codes too: the security
// page shows them in place of the protocol codes, and the site survey stores the WPA or WPA2
// family of an 802.1x network until the page has chosen the protocol.

#include <cstdint>

namespace tembrel {

enum AuthMode : uint32_t {
    kAuthOpenSystem = 0,
    kAuthSharedKey = 1,
    kAuthWpaPsk = 2,
    kAuthWpaLeap = 3,
    kAuthAutoSwitch = 4,
    kAuthWpaTls = 5,
    kAuthWpaPeap = 6,
    kAuthWpaTtls = 7,
    kAuthCcxLeap = 8,
    kAuthWpa2Psk = 9,
    kAuthWpa2Tls = 10,
    kAuthWpa2Peap = 11,
    kAuthWpa2Ttls = 12,
    kAuthCcxPeap = 13,
    kAuthWpa2Leap = 14,
    kAuth8021xTls = 15,
    kAuth8021xPeap = 16,
    kAuth8021xTtls = 17,
    kGroupWpa = 100,
    kGroupWpa2 = 101,
    kGroupCcx = 102,
    kGroup8021x = 103,
};

// Open System, Shared Key and Auto Switch: the modes that use static WEP keys.
inline bool IsWepAuthentication(uint32_t authMode) {
    return authMode == kAuthOpenSystem || authMode == kAuthSharedKey || authMode == kAuthAutoSwitch;
}

}  // namespace tembrel
