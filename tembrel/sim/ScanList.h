#pragma once
// The scan buffer as readers expect it: u32 NumberOfItems, then entries chained by Length.
// Entry tail: offset 112 IELength (bytes from offset 116 on), 116..127 the fixed beacon
// fields (timestamp, beacon interval, capabilities), information elements from 128.

#include "Network.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tembrel::sim {

constexpr size_t kEntryFixedSize = 128;  // everything before the first information element
constexpr size_t kIeFixedPart = 12;      // timestamp, beacon interval, capabilities

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

struct ScanListWrite {
    uint32_t bytesWritten = 0;  // 4 + the entries that fitted
    uint32_t entriesWritten = 0;
    bool complete = false;      // every entry fitted
};
// Writes as many whole entries as fit into capacity bytes; never writes past it. Needs
// capacity >= 4 (the caller checks).
ScanListWrite WriteScanList(const std::vector<ScanResult>& results, uint8_t* buffer, uint32_t capacity);

}  // namespace tembrel::sim
