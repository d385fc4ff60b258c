#pragma once
// What the supervisor thread does, as a plain class that runs on whatever thread calls it: the
// start-up scan, one pass (Auto Link hand-over, prefer-list walk) and the wait between passes.
// Every wait also ends when `stop` is requested, and the routine never waits for the
// user-interface thread except on the Auto Link event, so stopping it is always prompt (the
// longest delay is one library call or one ConnectProfile in progress).

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "adapter/RadioState.h"
#include "connection/AutoLinkEvent.h"
#include "connection/ConnectResult.h"
#include "connection/ConnectionSnapshot.h"
#include "connection/MessageBoxGate.h"
#include "connection/NetworksHeard.h"
#include "connection/SupervisorFlags.h"
#include "history/HistorySink.h"
#include "profiles/ProfileList.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace tembrel {

inline constexpr const char* kAutoLinkFailedText = "Auto Link Failed!";
inline constexpr const char* kScanningForText = "Scanning for ";

enum class SupervisorWait { kPeriod, kEmptyWalkPause, kMessageDismissed };

struct SupervisorTiming {
    std::chrono::milliseconds period{5000};         // between passes
    std::chrono::milliseconds emptyWalkPause{500};  // after a walk that tried no profile
    // Told before each wait begins (diagnostics and tests); called on the supervisor thread.
    std::function<void(SupervisorWait)> waitStarted;
};

// Notifications for the user-interface thread. They are called on the supervisor thread and
// must not block: the main window queues each to its own thread (a queued call, not a
// blocking one), which keeps their order.
struct SupervisorNotifications {
    std::function<void(int state)> publishTrayState;
    // To the Network Status page: 1003 with "Scanning for " + SSID, 1004 with an empty text.
    std::function<void(uint32_t code, const std::string& text)> notifyStatusPage;
    // Code 1007 to the main window: run the Auto Link flow, which ends by signalling the event.
    std::function<void()> requestAutoLink;
    // A plain message box with the exclamation icon; `dismissed` is to be called (on any
    // thread, also after the supervisor ended) once the user has closed it.
    std::function<void(const std::string& text, std::function<void()> dismissed)> showMessage;
};

// Everything the supervisor touches; all of it must outlive the supervisor thread.
struct SupervisorContext {
    DriverLibrary& driver;
    const AdapterHandle& handle;
    const std::atomic<uint32_t>& stopping;
    const RadioState& radioState;
    ProfileList& profiles;
    const ConnectionSnapshotHolder& snapshot;
    SupervisorFlags& flags;
    AutoLinkEvent& autoLinkEvent;
    // The main window's ConnectProfile: 1 = nothing attempted, else the association result.
    std::function<int(const ProfilePtr&)> connectProfile;
    SupervisorNotifications notify;
    SupervisorTiming timing;
    // Told of each profile the supervisor tries, with its place and what it passed over.
    HistorySink* history = &NoHistory();
    // Read once at the start of each prefer-list walk; without it (or when it gives nothing)
    // the walk tries every prefer-list profile.
    NetworksHeardSource networksHeard{};
    // The supervisor's message box, shared by all its runs.
    std::shared_ptr<MessageBoxGate> messageBox = std::make_shared<MessageBoxGate>();
};

class SupervisorRoutine {
public:
    // `passes`, when given, counts the passes whose wait ran out.
    SupervisorRoutine(const SupervisorContext& context, std::stop_token stop,
                      std::atomic<uint64_t>* passes = nullptr);

    // The thread body: start-up scan, then passes until stopped or the card is gone.
    void Run();

    // Once at start when both automatic options are off: keep the network mode and scan.
    void StartupScan();
    enum class Pass { kContinue, kEnd };
    // One pass without the wait that follows it.
    Pass RunPass();
    // Scan, ask the user-interface thread for the Auto Link flow and wait for its result; for a
    // prepared profile try it up to three times. False when stopped while waiting.
    bool AutoLinkHandOver();
    // 0 when no card is open (the thread ends), else 1. Passes over infrastructure profiles
    // whose network is not heard; when it did, and Auto Link (which scans first) is off, it ends
    // with a scan so that the next walk hears networks that have come into range.
    int WalkPreferList();
    // Waits the period or the pause; true when stop was requested.
    bool WaitForStop(SupervisorWait wait);

private:
    bool cardHeld() const { return context_.handle.held(); }
    // Pages set `stopping` while they use the card; a stopped run leaves it alone as well.
    bool leaveCardAlone() const { return context_.stopping != 0 || stop_.stop_requested(); }
    void scanKeepingNetworkMode();
    void publishTrayFromSnapshot();
    PROFILE_RECORD copyOf(const ProfilePtr& profile) const;
    // ConnectProfile's result 0, or 4 with the snapshot on the profile's network.
    bool associated(int result, const PROFILE_RECORD& profile) const;
    void retryPreparedProfile();
    enum class WalkStep { kNotInPreferList, kNotHeard, kTry };
    WalkStep walkStepFor(const ProfilePtr& profile, const std::optional<NetworksHeard>& heard) const;
    // Shows the box and waits until it is dismissed or stop is requested.
    void showMessageAndWait(const char* text);

    const SupervisorContext& context_;
    std::stop_token stop_;
    std::atomic<uint64_t>* passes_;
    std::mutex waitMutex_;
    std::condition_variable_any waitCv_;
};

}  // namespace tembrel
