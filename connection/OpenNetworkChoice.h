#pragma once
// Which open access points a "<ANY SSID>" profile tries, in which order.

#include "survey/ScanEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tembrel {

struct OpenNetworkCandidate {
    std::string ssid;  // the entry's SsidLength bytes
    int32_t rssiDbm = 0;
    uint32_t band = 0;  // ClassifyBand of the entry
};

inline constexpr size_t kMaxOpenNetworkCandidates = 20;

// Infrastructure entries without privacy and with a usable SSID length, in scan order, kept
// sorted strongest first (ties keep scan order), at most 20; then each 802.11g entry moves
// ahead of the run of 802.11b entries directly before it.
std::vector<OpenNetworkCandidate> ChooseOpenNetworkCandidates(const ScanList& list);

}  // namespace tembrel
