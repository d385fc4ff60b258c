#include "connection/StatusRefresher.h"

#include "connection/SecurityPlan.h"
#include "profiles/ProfileDefaults.h"
#include "survey/ChannelPlan.h"

#include <algorithm>
#include <utility>

namespace tembrel {

int TrayStateFor(bool handleHeld, const ConnectionSnapshot& snapshot) {
    if (!handleHeld) return kTrayCardUnplugged;
    return snapshot.connected != 0 ? kTrayConnected : kTrayNoConnection;
}

StatusRefresher::StatusRefresher(DriverLibrary& driver, const AdapterHandle& handle,
                                 ConnectionSnapshotHolder& snapshot, TrayPublisher publishTrayState)
    : driver_(driver), handle_(handle), snapshot_(snapshot), publishTrayState_(std::move(publishTrayState)) {}

void StatusRefresher::RefreshStatus(bool connected) {
    std::lock_guard refresh(refreshMutex_);
    // Built aside and written at once: readers see the old or the new snapshot, never a mix.
    // A query that fails leaves its field as cleared.
    ConnectionSnapshot s;
    bool held = false;
    {
        const auto lease = handle_.lease();
        if (lease) {
            held = true;
            const ZARN9100_HANDLE h = lease.get();
            s.connected = connected ? 1 : 0;
            driver_.QueryNetworkMode(h, &s.currentNetworkMode);
            driver_.QueryAuthMode(h, &s.currentAuthMode);
            driver_.QueryWepStatus(h, &s.encryptionStatus);
            driver_.QueryBssid(h, s.currentBssid.data());
            driver_.QueryChannel(h, &s.currentChannel);
            s.frequencyMHz = FrequencyForChannelMHz(s.currentChannel);
            // The library is asked for the band of a 2.4 GHz channel only; the rest is 802.11a.
            if (IsTwoPointFourGhzChannel(s.currentChannel)) {
                driver_.QueryWlanMode(h, &s.currentWlanMode);
            } else {
                s.currentWlanMode = kBand80211a;
            }
            // One byte short of the field, so the SSID always keeps its terminator.
            driver_.QuerySsid(h, s.currentSsid.data(), static_cast<uint32_t>(s.currentSsid.size() - 1));
            s.currentSsid.back() = '\0';
        }
    }
    if (held) {
        const bool noBssid = std::all_of(s.currentBssid.begin(), s.currentBssid.end(),
                                         [](uint8_t b) { return b == 0; });
        if (noBssid) s = ConnectionSnapshot{};
        s.adHocStarted = (s.currentNetworkMode == ZARN9100_NETWORK_ADHOC && s.ssidLength() != 0) ? 1 : 0;
    }
    snapshot_.write(s);
    if (publishTrayState_) publishTrayState_(TrayStateFor(held, s));
}

uint32_t StatusRefresher::QueryEncryptionStatus() {
    std::lock_guard refresh(refreshMutex_);
    ConnectionSnapshot s = snapshot_.copy();
    if (!IsKeyAbsent(s.encryptionStatus)) return s.encryptionStatus;
    const auto lease = handle_.lease();
    if (!lease) return s.encryptionStatus;
    uint32_t status = s.encryptionStatus;
    driver_.QueryWepStatus(lease.get(), &status);
    s.encryptionStatus = status;
    snapshot_.write(s);
    return status;
}

}  // namespace tembrel
