#pragma once
// Whether a station configured like the card may join a network.

#include "Network.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tembrel::sim {

// NDIS values the card is configured with.
namespace ndis {
constexpr uint32_t kAuthOpen = 0, kAuthShared = 1, kAuthAutoSwitch = 2, kAuthWpa = 3, kAuthWpaPsk = 4,
                   kAuthWpa2 = 6, kAuthWpa2Psk = 7;
constexpr uint32_t kWepEnabled = 0, kWepDisabled = 1, kWepKeyAbsent = 2, kTkipEnabled = 4, kTkipKeyAbsent = 5,
                   kAesEnabled = 6, kAesKeyAbsent = 7;
}  // namespace ndis

struct Identity {
    unsigned method = 0;  // one EapMethod bit, 0 when none was created
    std::string login;
    std::string password;
    std::string domain;
    std::string anonymous;
    std::array<uint8_t, 20> certificateHash{};
};

struct StationSecurity {
    uint32_t authMode = ndis::kAuthOpen;
    uint32_t wepStatus = ndis::kWepDisabled;
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
