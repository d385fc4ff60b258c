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
// 802.1x failures are the ones a real supplicant reports with a status text.
bool IsEapFailure(MatchResult r);
std::string DescribeMatch(MatchResult r);
const char* EapMethodName(unsigned method);

}  // namespace tembrel::sim
