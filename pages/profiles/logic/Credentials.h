#pragma once
// The 802.1x credential values of the profile being edited, as the security settings page keeps
// them and the credential dialogs (LEAP, EAP/TLS, PEAP, EAP/TTLS) edit them.

#include <array>
#include <cstdint>
#include <string>

namespace tembrel {

struct Credentials {
    uint32_t protocol = 0;  // the profile's authMode: which dialog, and its title prefix
    std::string loginName;
    std::string password;
    std::string domain;
    std::string certificateName;  // simple display name of the chosen certificate's issuer
    std::string anonymousName;
    std::array<uint8_t, 20> certificateHash{};  // SHA-1 of the chosen certificate
};

}  // namespace tembrel
