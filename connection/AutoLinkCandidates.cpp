#include "connection/AutoLinkCandidates.h"

#include "profiles/ProfileText.h"
#include "survey/InformationElements.h"

#include <algorithm>
#include <memory>

namespace tembrel {

namespace {

constexpr uint8_t kVendorElementId = 0xDD;
// Body bytes of the announcement: organisation identifier, two zero bytes, AP tag, state bits.
constexpr uint8_t kOui[3] = {0x00, 0x3A, 0x7E};
constexpr size_t kTagOffset = 5;
constexpr size_t kStateOffset = 6;
constexpr size_t kAnnouncementBodySize = 7;

bool IsAnnouncement(const InformationElement& e) {
    if (e.id != kVendorElementId || e.body.size() < kAnnouncementBodySize) return false;
    return e.body[0] == kOui[0] && e.body[1] == kOui[1] && e.body[2] == kOui[2] && e.body[3] == 0 &&
           e.body[4] == 0;
}

std::optional<uint32_t> StateFromBits(uint8_t bits) {
    if (bits & 0x01) return kAutoLinkUnconfigured;
    if (bits & 0x02) return kAutoLinkConfiguredByAutoLink;
    if (bits & 0x04) return kAutoLinkConfigured;
    return std::nullopt;
}

bool HasMatchingProfile(const ProfileSequence& profiles, std::string_view ssid, uint32_t networkType) {
    return std::any_of(profiles.begin(), profiles.end(), [&](const ProfilePtr& p) {
        return p && p->networkType == networkType && ProfileSsid(*p).starts_with(ssid);
    });
}

}  // namespace

std::optional<AutoLinkAnnouncement> FindAutoLinkAnnouncement(const ScanEntry& entry) {
    for (const InformationElement& e : InformationElements(entry.variableElements())) {
        if (!IsAnnouncement(e)) continue;
        const auto state = StateFromBits(e.body[kStateOffset]);
        if (!state) return std::nullopt;
        return AutoLinkAnnouncement{e.body[kTagOffset], *state};
    }
    return std::nullopt;
}

uint32_t AutoLinkSignal(int32_t rssiDbm) {
    const int64_t level = int64_t{rssiDbm} + 96;
    return static_cast<uint32_t>(std::clamp<int64_t>(level, 0, 40));
}

std::vector<AutoLinkCandidate> FindAutoLinkCandidates(std::span<const uint8_t> scanBuffer,
                                                      const ProfileSequence& profiles) {
    std::vector<AutoLinkCandidate> candidates;
    for (const ScanEntry entry : ScanList(scanBuffer)) {
        if (!entry.hasUsableSsid() || entry.infrastructureMode() == 0) continue;
        const auto announcement = FindAutoLinkAnnouncement(entry);
        if (!announcement) continue;
        if (announcement->state == kAutoLinkConfiguredByAutoLink &&
            HasMatchingProfile(profiles, entry.ssid(), entry.infrastructureMode()))
            continue;
        AutoLinkCandidate c{std::string(entry.ssid()), AutoLinkSignal(entry.rssiDbm()), announcement->state,
                            announcement->apTag};
        const auto weaker = std::find_if(candidates.begin(), candidates.end(),
                                         [&](const AutoLinkCandidate& other) { return other.signal < c.signal; });
        candidates.insert(weaker, std::move(c));
    }
    return candidates;
}

std::vector<AutoLinkCandidate> SearchAutoLinkCandidates(DriverLibrary& driver, const AdapterHandle& handle,
                                                        const ProfileList& profiles) {
    auto buffer = std::make_unique<ScanBuffer>();
    buffer->fill(0);
    {
        const auto lease = handle.lease();
        if (!lease) return {};
        if (driver.QueryScanList(lease.get(), buffer->data(), static_cast<uint32_t>(buffer->size())) != 0) return {};
    }
    // Fields are read under the list's lock: the supervisor may be changing a record.
    return profiles.Read([&](const ProfileSequence& seq) { return FindAutoLinkCandidates(*buffer, seq); });
}

}  // namespace tembrel
