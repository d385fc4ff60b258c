#include "connection/OpenNetworkChoice.h"

#include "survey/ChannelPlan.h"

#include <algorithm>
#include <utility>

namespace tembrel {

std::vector<OpenNetworkCandidate> ChooseOpenNetworkCandidates(const ScanList& list) {
    std::vector<OpenNetworkCandidate> candidates;
    for (const ScanEntry entry : list) {
        if (candidates.size() >= kMaxOpenNetworkCandidates) break;
        if (entry.infrastructureMode() != 1 || entry.privacy() != 0 || !entry.hasUsableSsid()) continue;
        OpenNetworkCandidate c{std::string(entry.ssid()), entry.rssiDbm(), ClassifyBand(entry)};
        // After every candidate at least as strong: equal signals keep scan order.
        const auto at = std::upper_bound(candidates.begin(), candidates.end(), c.rssiDbm,
                                         [](int32_t rssi, const OpenNetworkCandidate& other) { return rssi > other.rssiDbm; });
        candidates.insert(at, std::move(c));
    }
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].band != kBand80211g) continue;
        for (size_t j = i; j > 0 && candidates[j - 1].band == kBand80211b; --j) std::swap(candidates[j - 1], candidates[j]);
    }
    return candidates;
}

}  // namespace tembrel
