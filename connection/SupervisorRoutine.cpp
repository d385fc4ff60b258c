#include "connection/SupervisorRoutine.h"

#include "adapter/Adapter.h"
#include "connection/EventCodes.h"
#include "connection/StatusRefresher.h"
#include "profiles/ProfileText.h"

namespace tembrel {

namespace {
constexpr int kPreparedProfileAttempts = 3;
constexpr std::size_t kUnheardNamedAtMost = 8;
}

SupervisorRoutine::SupervisorRoutine(const SupervisorContext& context, std::stop_token stop,
                                     std::atomic<uint64_t>* passes)
    : context_(context), stop_(std::move(stop)), passes_(passes) {}

void SupervisorRoutine::Run() {
    if (context_.flags.autoLink == 0 && context_.flags.autoConfiguration == 0) StartupScan();
    while (!stop_.stop_requested()) {
        if (RunPass() == Pass::kEnd) return;
        if (WaitForStop(SupervisorWait::kPeriod)) return;
        if (passes_) ++*passes_;
    }
}

void SupervisorRoutine::StartupScan() { scanKeepingNetworkMode(); }

void SupervisorRoutine::scanKeepingNetworkMode() {
    const auto lease = context_.handle.lease();
    if (!lease) return;
    DriverLibrary& d = context_.driver;
    uint32_t mode = 0;
    d.QueryNetworkMode(lease.get(), &mode);
    d.SetNetworkMode(lease.get(), mode);
    d.Scan(lease.get());
}

bool SupervisorRoutine::WaitForStop(SupervisorWait wait) {
    const SupervisorTiming& timing = context_.timing;
    if (timing.waitStarted) timing.waitStarted(wait);
    const auto timeout = wait == SupervisorWait::kPeriod ? timing.period : timing.emptyWalkPause;
    std::unique_lock lock(waitMutex_);
    waitCv_.wait_for(lock, stop_, timeout, [] { return false; });
    return stop_.stop_requested();
}

void SupervisorRoutine::publishTrayFromSnapshot() {
    if (context_.notify.publishTrayState)
        context_.notify.publishTrayState(TrayStateFor(cardHeld(), context_.snapshot.copy()));
}

PROFILE_RECORD SupervisorRoutine::copyOf(const ProfilePtr& profile) const {
    // The user-interface thread edits records under the list's lock.
    return context_.profiles.Read([&](const ProfileSequence&) { return *profile; });
}

bool SupervisorRoutine::associated(int result, const PROFILE_RECORD& profile) const {
    if (result == ZARN9100_RESULT_OK) return true;
    if (result != ZARN9100_RESULT_PENDING) return false;
    const ConnectionSnapshot s = context_.snapshot.copy();
    return s.connectedOrAdHocStarted() && s.ssid() == ProfileSsid(profile) &&
           s.currentNetworkMode == profile.networkType;
}

SupervisorRoutine::Pass SupervisorRoutine::RunPass() {
    if (!cardHeld()) return Pass::kEnd;
    const SupervisorFlags& flags = context_.flags;
    const auto idle = [&] {
        const ConnectionSnapshot s = context_.snapshot.copy();
        return context_.radioState == ZARN9100_RADIO_OFF || s.connected != 0 || s.adHocStarted != 0 || flags.monitorMode != 0;
    };
    if (idle()) return Pass::kContinue;

    if (flags.autoLink != 0 && !AutoLinkHandOver()) return Pass::kEnd;

    if (flags.autoConfiguration != 0) {
        const ConnectionSnapshot s = context_.snapshot.copy();
        if (s.connected == 0 && s.adHocStarted == 0 && context_.radioState == ZARN9100_RADIO_ON && !leaveCardAlone() &&
            flags.monitorMode == 0) {
            if (context_.notify.publishTrayState) context_.notify.publishTrayState(kTrayScanning);
            // A stopped run publishes nothing more: the main window shows the card's state itself.
            if (WalkPreferList() == 0 || stop_.stop_requested()) return Pass::kEnd;
            publishTrayFromSnapshot();
        }
    }
    return Pass::kContinue;
}

bool SupervisorRoutine::AutoLinkHandOver() {
    scanKeepingNetworkMode();
    context_.autoLinkEvent.Reset();
    if (context_.notify.requestAutoLink) context_.notify.requestAutoLink();
    const auto result = context_.autoLinkEvent.Wait(stop_);
    if (!result) return false;
    if (*result == kAutoLinkProfilePrepared) retryPreparedProfile();
    return !stop_.stop_requested();
}

void SupervisorRoutine::retryPreparedProfile() {
    if (context_.notify.publishTrayState) context_.notify.publishTrayState(kTrayScanning);
    // The flow has just put the prepared profile first.
    const ProfilePtr profile = context_.profiles.At(0);
    if (profile) {
        const PROFILE_RECORD record = copyOf(profile);
        if (context_.notify.notifyStatusPage)
            context_.notify.notifyStatusPage(kEventScanningText, std::string(kScanningForText) + std::string(ProfileSsid(record)));
        int attemptsUsed = 0;
        while (attemptsUsed < kPreparedProfileAttempts) {
            // The profile must still be in the list: the user may have deleted it meanwhile.
            if (!context_.profiles.IndexOf(profile.get()) || !cardHeld() || leaveCardAlone() ||
                context_.radioState == ZARN9100_RADIO_OFF)
                break;
            context_.history->joinAttempted(
                {JoinRequester::AutoLink, "", std::string(ProfileName(record)), std::string(ProfileSsid(record))});
            if (associated(context_.connectProfile(profile), record)) break;
            ++attemptsUsed;
        }
        if (attemptsUsed == kPreparedProfileAttempts && !stop_.stop_requested() &&
            !context_.snapshot.copy().connectedOrAdHocStarted())
            showMessageAndWait(kAutoLinkFailedText);
    }
    if (!stop_.stop_requested()) publishTrayFromSnapshot();
}

void SupervisorRoutine::showMessageAndWait(const char* text) {
    if (!context_.notify.showMessage) return;
    const std::shared_ptr<MessageBoxGate> gate = context_.messageBox;
    const auto waitClosed = [&] {
        if (context_.timing.waitStarted) context_.timing.waitStarted(SupervisorWait::kMessageDismissed);
        return gate->WaitClosed(stop_);
    };
    if (gate->open() && !waitClosed()) return;
    gate->Open();
    context_.notify.showMessage(text, [gate] { gate->Close(); });
    waitClosed();
}

SupervisorRoutine::WalkStep SupervisorRoutine::walkStepFor(const ProfilePtr& profile,
                                                           const std::optional<NetworksHeard>& heard) const {
    // Decided under the list's lock without copying the record: most profiles are passed over.
    return context_.profiles.Read([&](const ProfileSequence&) {
        if (profile->inPreferList != 1) return WalkStep::kNotInPreferList;
        return heard && !heard->mayReach(*profile) ? WalkStep::kNotHeard : WalkStep::kTry;
    });
}

int SupervisorRoutine::WalkPreferList() {
    if (!cardHeld()) return 0;
    if (context_.radioState == ZARN9100_RADIO_OFF) return 1;
    const std::optional<NetworksHeard> heard = context_.networksHeard ? context_.networksHeard() : std::nullopt;
    bool reachedPreferProfile = false;
    std::vector<SkippedCandidate> passedOver;  // tried in this walk without a join
    int place = 0;
    bool passedOverUnheard = false;
    for (size_t index = 0; !leaveCardAlone(); ++index) {
        // The list may change under the walk (ConnectProfile moves the profile it applies);
        // its length is read again for every profile.
        const ProfilePtr profile = context_.profiles.At(index);
        if (!profile) break;
        const WalkStep step = walkStepFor(profile, heard);
        if (step == WalkStep::kNotInPreferList) continue;
        reachedPreferProfile = true;
        ++place;
        if (step == WalkStep::kNotHeard) {
            passedOverUnheard = true;
            // Named in the history up to a few; a long list of unheard profiles is not spelled out.
            if (passedOver.size() < kUnheardNamedAtMost)
                passedOver.push_back({std::string(ProfileName(copyOf(profile))), "not heard"});
            continue;
        }
        const PROFILE_RECORD record = copyOf(profile);
        if (!cardHeld() || leaveCardAlone() || context_.radioState == ZARN9100_RADIO_OFF) break;
        const std::string name(ProfileName(record));
        context_.history->joinAttempted(
            {JoinRequester::Supervisor, "", name, std::string(ProfileSsid(record)), place, passedOver});
        const int result = context_.connectProfile(profile);
        if (associated(result, record)) break;
        passedOver.push_back({name, JoinResultText(result)});
    }
    if (passedOverUnheard && context_.flags.autoLink == 0 && !leaveCardAlone() &&
        !context_.snapshot.copy().connectedOrAdHocStarted()) {
        if (const auto lease = context_.handle.lease()) context_.driver.Scan(lease.get());
    }
    if (!reachedPreferProfile && !leaveCardAlone()) WaitForStop(SupervisorWait::kEmptyWalkPause);
    if (!leaveCardAlone() && context_.notify.notifyStatusPage) context_.notify.notifyStatusPage(kEventPreferWalkDone, {});
    return 1;
}

}  // namespace tembrel
