#pragma once
// The access points that announce one-touch setup (Auto Link) in their beacons, taken from the
// driver's scan list. The main window searches for them before it shows the Auto Link dialog;
// no candidate means no dialog.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "profiles/ProfileList.h"
#include "survey/ScanEntry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tembrel {

enum AutoLinkState : uint32_t {
    kAutoLinkUnconfigured = 0,
    kAutoLinkConfiguredByAutoLink = 1,
    kAutoLinkConfigured = 2,
};

struct AutoLinkCandidate {
    std::string ssid;     // at most 32 bytes
    uint32_t signal = 0;  // Rssi + 96, limited to 0..40
    uint32_t state = kAutoLinkUnconfigured;
    uint32_t apTag = 0;   // echoed back to the library in both setup records
    friend bool operator==(const AutoLinkCandidate&, const AutoLinkCandidate&) = default;
};

// The announcement in one entry: the first vendor element 0xDD with the identifier 00 3A 7E
// followed by two zero bytes, the AP tag and the state bits (bit 0 unconfigured, else bit 1
// configured by Auto Link, else bit 2 configured). Empty when the entry has none or no state
// bit is set.
struct AutoLinkAnnouncement {
    uint32_t apTag = 0;
    uint32_t state = kAutoLinkUnconfigured;
};
std::optional<AutoLinkAnnouncement> FindAutoLinkAnnouncement(const ScanEntry& entry);

// Signal of a candidate: dBm + 96, limited to 0..40.
uint32_t AutoLinkSignal(int32_t rssiDbm);

// Walks the scan buffer in scan order: entries with a usable SSID, an access point (nonzero
// InfrastructureMode) and an announcement qualify; a state-1 entry is left out when a profile
// exists whose ssid begins with the entry's SSID and whose networkType equals the entry's
// InfrastructureMode. Sorted by signal, strongest first; equal signals keep scan order.
std::vector<AutoLinkCandidate> FindAutoLinkCandidates(std::span<const uint8_t> scanBuffer,
                                                      const ProfileSequence& profiles);

// Reads the scan list from the card and finds the candidates; none without a card or when the
// library reports failure.
std::vector<AutoLinkCandidate> SearchAutoLinkCandidates(DriverLibrary& driver, const AdapterHandle& handle,
                                                        const ProfileList& profiles);

}  // namespace tembrel
