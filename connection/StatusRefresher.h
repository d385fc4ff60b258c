#pragma once
// RefreshStatus: rewrites the connection snapshot from the library and publishes the matching
// notification-area state. The user-interface thread calls it on library events, at open and in
// the Auto Link flow; the supervisor thread reaches it through ConnectProfile. Refreshes are
// serialised, so the tray states are published in the order in which the snapshots were written.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "connection/ConnectionSnapshot.h"

#include <cstdint>
#include <functional>
#include <mutex>

namespace tembrel {

// Notification-area states.
enum TrayState : int {
    kTrayCardUnplugged = 0,
    kTrayConnected = 1,
    kTrayNoConnection = 2,
    kTrayScanning = 3,
};

// The tray state the snapshot stands for: 0 without a card, 1 connected, 2 otherwise.
int TrayStateFor(bool handleHeld, const ConnectionSnapshot& snapshot);

class StatusRefresher {
public:
    // Called with 0, 1 or 2 after each refresh. The main window queues it to its own thread.
    using TrayPublisher = std::function<void(int state)>;

    StatusRefresher(DriverLibrary& driver, const AdapterHandle& handle, ConnectionSnapshotHolder& snapshot,
                    TrayPublisher publishTrayState);
    StatusRefresher(const StatusRefresher&) = delete;
    StatusRefresher& operator=(const StatusRefresher&) = delete;

    void RefreshStatus(bool connected);

    // For the Network Status page: the snapshot's encryption status, read again from the library
    // (and stored) when it is 2, 5 or 7 (key absent).
    uint32_t QueryEncryptionStatus();

private:
    DriverLibrary& driver_;
    const AdapterHandle& handle_;
    ConnectionSnapshotHolder& snapshot_;
    TrayPublisher publishTrayState_;
    std::mutex refreshMutex_;  // one refresh (snapshot write + tray state) at a time
};

}  // namespace tembrel
