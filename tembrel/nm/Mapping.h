#pragma once
// NetworkManager's view of networks and failures in the library's terms: an access point as a
// scan entry whose information elements are rebuilt from the flags NetworkManager keeps (it
// hands out no raw elements), a signal strength in percent as dBm, and a device's state reason
// as a result code with a text.

#include <cstdint>
#include <string>
#include <vector>

namespace tembrel::nm {

// What libnm tells about one access point (the NM80211* flag words as NetworkManager has them).
struct AccessPointFacts {
    std::vector<uint8_t> ssid;  // at most 32 bytes; empty for a network that hides its name
    uint8_t bssid[6] = {};
    uint32_t strengthPercent = 0;
    uint32_t frequencyMHz = 0;
    uint32_t maxBitrateKbps = 0;
    uint32_t flags = 0;     // NM80211ApFlags: privacy
    uint32_t wpaFlags = 0;  // NM80211ApSecurityFlags of the WPA element
    uint32_t rsnFlags = 0;  // NM80211ApSecurityFlags of the RSN element
    bool adHoc = false;
};

// NetworkManager turns dBm into percent linearly between -100 dBm (0%) and -40 dBm (100%);
// this is the way back.
int32_t DbmOfStrength(uint32_t percent);

// The scan entry (fixed 128 bytes, then the elements: SSID, rates, DS parameter, RSN, WPA);
// an entry whose SSID is longer than 32 bytes or whose frequency is unknown gives an empty one.
std::vector<uint8_t> BuildScanEntry(const AccessPointFacts& ap);

// A failed activation: the SetSsid result (1 not in range, 2 security refused) and the text
// for event 1012.
struct Refusal {
    int result;
    std::string text;
};
Refusal RefusalOf(uint32_t deviceStateReason);

}  // namespace tembrel::nm
