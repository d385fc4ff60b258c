#include "connection/NetworksHeard.h"

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "survey/ScanEntry.h"
#include "survey/ScanRequests.h"

#include <memory>

namespace tembrel {

NetworksHeard NetworksHeard::FromScanList(std::span<const uint8_t> buffer) {
    NetworksHeard heard;
    for (const ScanEntry entry : ScanList(buffer))
        if (entry.hasUsableSsid()) heard.ssids_.emplace(entry.ssid());
    return heard;
}

bool NetworksHeard::mayReach(const PROFILE_RECORD& profile) const {
    const std::string_view ssid = ProfileSsid(profile);
    if (profile.networkType != ZARN9100_NETWORK_INFRASTRUCTURE || profile.hiddenSsid != 0 || ssid.empty() ||
        ssid == kAnySsid)
        return true;
    return ssids_.find(ssid) != ssids_.end();
}

std::optional<NetworksHeard> ReadNetworksHeard(DriverLibrary& driver, const AdapterHandle& handle) {
    auto buffer = std::make_unique<ScanBuffer>();  // 24 KB: not on the supervisor's stack
    {
        const auto lease = handle.lease();
        if (!lease || !ReadScanList(driver, lease.get(), *buffer)) return std::nullopt;
    }
    return NetworksHeard::FromScanList(*buffer);
}

}  // namespace tembrel
