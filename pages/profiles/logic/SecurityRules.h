#pragma once
// Which encryption methods and 802.1x protocols go with which authentication mode, the
// authentication groups the security page shows in place of the protocol codes, and what each
// 802.1x protocol requires of its credentials.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pages/profiles/logic/CredentialRules.h"
#include "pages/profiles/logic/Credentials.h"
#include "pages/profiles/logic/ProfileInputRules.h"
#include "profiles/AuthMode.h"
#include "profiles/Cipher.h"

namespace tembrel {

bool IsAuthenticationGroup(uint32_t authentication);
bool IsPskAuthentication(uint32_t authentication);

// "Open System", "Shared Key", "Auto Switch", then for Infrastructure "802.1x", "WPA-PSK",
// "WPA2-PSK", "WPA", "WPA2", "CCX".
std::vector<Choice> AuthenticationChoices(bool adHoc);

// A record's authMode as the page shows it: the group and the protocol (0 for a plain mode).
struct AuthenticationSplit {
    uint32_t authentication;
    uint32_t protocol;
    bool operator==(const AuthenticationSplit&) const = default;
};
AuthenticationSplit SplitAuthMode(uint32_t authMode);
// The group a protocol code belongs to; the code itself for plain modes.
uint32_t GroupOfProtocol(uint32_t protocol);

// The 802.1x protocol list of a group (empty for plain modes).
std::vector<Choice> ProtocolChoices(uint32_t group);
// The encryption list for an authentication value; for WPA and WPA2 it depends on the protocol.
std::vector<Choice> EncryptionChoices(uint32_t authentication, uint32_t protocol);
// The encryption selected when the previous one is not offered.
int32_t DefaultEncryption(uint32_t authentication, uint32_t protocol);

// The message when the credentials lack what the protocol needs, else nothing.
std::optional<std::string> CheckCredentials(uint32_t protocol, const Credentials& credentials);

}  // namespace tembrel
