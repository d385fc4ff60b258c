#pragma once
// Applying a profile to the card: the fixed order of library calls for security, network mode,
// band or ad-hoc channel, association and radio parameters, the "<ANY SSID>" join of the
// strongest open network, and keeping the library's profile-in-use name, profileInUse and the
// list order in step.
//
// The main window owns one instance; pages (user-interface thread) and the supervisor thread
// call it. Applying is serialised: one profile is configured at a time, so two threads never
// interleave their calls on the card. The handle is leased for each library call; when the card
// goes away in the middle, the remaining calls that need it are skipped and association counts
// as failed.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "adapter/RadioState.h"
#include "history/HistorySink.h"
#include "connection/ConnectionSnapshot.h"
#include "profiles/ProfileList.h"
#include "profiles/ProfileRecord.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>

namespace tembrel {

// What the main window hands to profile application.
struct ConnectionContext {
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    DriverLibrary& driver;
    const AdapterHandle& handle;
    const RadioState& radioState;  // 0 = radio off
    ProfileList& profiles;
    ConnectionSnapshotHolder& snapshot;
    // The main window's RefreshStatus: rewrites the snapshot from the library.
    std::function<void(bool connected)> refreshStatus;
    Clock now = [] { return std::chrono::steady_clock::now(); };
    HistorySink* history = &NoHistory();  // told each ConnectProfile's result and a page's attempt
};

class ProfileConnector {
public:
    static constexpr std::chrono::milliseconds kOpenNetworkTimeLimit{8000};

    explicit ProfileConnector(ConnectionContext context);
    ProfileConnector(const ProfileConnector&) = delete;
    ProfileConnector& operator=(const ProfileConnector&) = delete;

    // 1 when nothing was attempted (no card, radio off, no profile); otherwise the association
    // result, 0 = associated. `page`: the caption of the page whose user asked for the join; the
    // history records it with the attempt ("" for the program's own joins, which the supervisor
    // records itself).
    int ConnectProfile(const ProfilePtr& profile, std::string_view page = {});
    // The two phases of a profile; both return 1.
    int ApplySecurity(const PROFILE_RECORD& profile);
    int ApplyProtocolSettings(const PROFILE_RECORD& profile);
    // Joins the strongest open access point: 0 when the association call succeeded, else 1.
    int ConnectAnyOpenNetwork();

    // Marks `profile` (or none) as in use with the library and moves it in the list:
    // infrastructure profiles to the head, ad-hoc profiles ahead of the other ad-hoc ones.
    void SetProfileInUse(const ProfilePtr& profile);
    // Adopts the library's profile-in-use name when a profile of the list carries it.
    void SyncProfileInUse();

    // profileInUse: the record last passed to SetProfileInUse (shared with the list), or null.
    ProfilePtr profileInUse() const;

private:
    int connectAnyOpenNetwork();
    // Tells the history how ConnectProfile ended for `p`; returns `result`.
    int finished(const PROFILE_RECORD& p, int result);
    void applySecurity(const PROFILE_RECORD& p);
    void applyProtocolSettings(const PROFILE_RECORD& p);
    void setStaticWepKeys(const PROFILE_RECORD& p);
    void makeIdentity(uint32_t authMode, int32_t encryption, const PROFILE_RECORD& p);

    // Runs f(handle) under a lease; `fallback` when no card is open.
    template <typename F>
    int withHandle(F&& f, int fallback = 1) const {
        const auto lease = context_.handle.lease();
        if (!lease) return fallback;
        return f(lease.get());
    }

    ConnectionContext context_;
    std::mutex applyMutex_;  // one profile applied at a time
    std::mutex inUseMutex_;  // SetProfileInUse as one step
    mutable std::mutex profileInUseMutex_;
    ProfilePtr profileInUse_;
};

}  // namespace tembrel
