#pragma once
// A simulated network as scan entries (tembrel/common/ScanEntryLayout.h).

#include "Network.h"
#include "tembrel/common/ScanEntryLayout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tembrel::sim {

// A network as one scan saw it.
struct ScanResult {
    Network network;
    int32_t rssiDbm = 0;
    bool ssidRevealed = false;  // a directed probe answered with the hidden SSID
};

// The information elements a beacon (or probe response) of this network carries.
std::vector<uint8_t> BeaconElements(const Network& n, bool revealSsid);
// One whole entry, Length 4-byte aligned.
std::vector<uint8_t> BuildScanEntry(const ScanResult& result);

// One entry per result, in order, for abi::WriteScanList.
std::vector<std::vector<uint8_t>> BuildScanEntries(const std::vector<ScanResult>& results);

}  // namespace tembrel::sim
