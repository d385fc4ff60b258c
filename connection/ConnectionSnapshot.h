#pragma once
// The connection as last read from the library. RefreshStatus rewrites it on the user-interface
// thread (and, through ConnectProfile, on the supervisor thread); pages and the supervisor read
// it. The holder copies it in and out under a mutex, so a reader never sees half a refresh.
// The region code and channel range, which survive every clear, live with the adapter.

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

namespace tembrel {

struct ConnectionSnapshot {
    uint32_t connected = 0;     // 1 = associated (confirmed by a nonzero BSSID)
    uint32_t adHocStarted = 0;  // 1 = ad-hoc network mode with a nonempty SSID
    std::array<char, 33> currentSsid{};     // 32 bytes + terminating zero
    std::array<uint8_t, 6> currentBssid{};  // all zero = no association
    uint32_t currentNetworkMode = 0;        // 0 ad hoc, 1 infrastructure
    uint32_t encryptionStatus = 0;          // NDIS encryption status
    uint32_t currentChannel = 0;
    uint32_t frequencyMHz = 0;
    uint32_t currentWlanMode = 0;  // band code; 2 for channels outside 1 to 14
    uint32_t currentAuthMode = 0;  // NDIS authentication mode

    std::string_view ssid() const { return {currentSsid.data(), ssidLength()}; }
    size_t ssidLength() const {
        size_t n = 0;
        while (n + 1 < currentSsid.size() && currentSsid[n] != '\0') ++n;
        return n;
    }
    bool connectedOrAdHocStarted() const { return connected != 0 || adHocStarted != 0; }
    friend bool operator==(const ConnectionSnapshot&, const ConnectionSnapshot&) = default;
};

class ConnectionSnapshotHolder {
public:
    ConnectionSnapshot copy() const {
        std::lock_guard lock(mutex_);
        return snapshot_;
    }
    void write(const ConnectionSnapshot& snapshot) {
        std::lock_guard lock(mutex_);
        snapshot_ = snapshot;
        snapshot_.currentSsid.back() = '\0';
    }
    void clear() { write(ConnectionSnapshot{}); }

private:
    mutable std::mutex mutex_;
    ConnectionSnapshot snapshot_;
};

}  // namespace tembrel
