#pragma once
// Whether a station configured like the card may join a network.

#include "Network.h"

#include <TembrelCodes.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tembrel::sim {

struct Identity {
    unsigned method = 0;  // one EapMethod bit, 0 when none was created
    std::string login;
    std::string password;
    std::string domain;
    std::string anonymous;
    std::array<uint8_t, 20> certificateHash{};
};

struct StationSecurity {
    uint32_t authMode = ZARN9100_AUTH_OPEN;
    uint32_t wepStatus = ZARN9100_ENCRYPTION_DISABLED;
    std::array<std::vector<uint8_t>, 4> wepKeys;
    uint32_t txKeyIndex = 0;  // 1..4, 0 = none
    std::string passphrase;
    uint32_t ccxNetworkEap = 0;
    Identity identity;
};

enum class MatchResult {
    Joined,
    WrongAuthMode,
    WrongCipher,
    WrongKey,
    WrongPassphrase,
    WrongEapMethod,
    WrongCredentials,
};

MatchResult MatchSecurity(const StationSecurity& station, const Network& network);
std::string DescribeMatch(MatchResult r);
// The status text (code 1012) of a refused join, as a real supplicant reports it, naming the
// network and never a secret; and the one for a network that is not in range.
std::string RefusalText(const std::string& ssid, MatchResult r);
std::string OutOfRangeText(const std::string& ssid);
const char* EapMethodName(unsigned method);

}  // namespace tembrel::sim
