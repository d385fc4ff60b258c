#pragma once
// The networks the card hears, read once per prefer-list walk: the walk passes over a profile
// whose network is plainly absent instead of configuring the card for it, which keeps a walk
// over tens of thousands of profiles in proportion to the list plus the networks heard.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "profiles/ProfileRecord.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>

namespace tembrel {

class NetworksHeard {
public:
    // Every SSID of the scan list (entries of any network mode).
    static NetworksHeard FromScanList(std::span<const uint8_t> buffer);

    // Whether applying `profile` may reach its network. Always for "<ANY SSID>" (it joins
    // whatever open network is heard), for an empty SSID (a zero-length SSID lets the card pick
    // any network), for a hidden SSID (its beacons carry no name; the directed
    // probe of ConnectProfile finds it) and for every mode but infrastructure (an ad-hoc profile
    // starts its own network). An infrastructure profile only when its SSID was heard.
    bool mayReach(const PROFILE_RECORD& profile) const;

    std::size_t size() const { return ssids_.size(); }

private:
    std::set<std::string, std::less<>> ssids_;
};

// Reads the card's scan list. Nothing when no card is held or the list cannot be read: the
// walk then tries every profile.
std::optional<NetworksHeard> ReadNetworksHeard(DriverLibrary& driver, const AdapterHandle& handle);

using NetworksHeardSource = std::function<std::optional<NetworksHeard>()>;

}  // namespace tembrel
