#include "connection/AutoLinkFlow.h"

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"

#include <algorithm>
#include <utility>

namespace tembrel {

ProfilePtr AdoptAutoLinkProfile(ProfileList& profiles, const PROFILE_RECORD& prepared,
                                const SetProfileInUseFn& setProfileInUse) {
    ProfilePtr fresh = NewProfileCopy(prepared);
    TerminateTextFields(*fresh);
    const std::string_view ssid = ProfileSsid(*fresh);
    const uint32_t networkType = fresh->networkType;
    profiles.Edit([&](ProfileSequence& records) {
        // "<Default>" stays whatever SSID an access point announces: the list always holds it.
        std::erase_if(records, [&](const ProfilePtr& p) {
            return p && p->networkType == networkType && ProfileSsid(*p) == ssid && !IsDefaultProfile(*p);
        });
        records.insert(records.begin(), fresh);
    });
    if (setProfileInUse) setProfileInUse(fresh);
    return fresh;
}

void AutoLinkFlow::takeBackLibraryEvents() { context_.driver.Initialize(context_.mainWindowSink); }

void AutoLinkFlow::RunAutoLink() {
    context_.flags.autoLinkRunning = 1;
    auto candidates = SearchAutoLinkCandidates(context_.driver, context_.handle, context_.profiles);
    // The search needs nothing from the dialog; building it only for a candidate spares the
    // supervisor's pass, which asks every few seconds, a window built and dropped each time.
    std::unique_ptr<AutoLinkDialog> dialog;
    if (!candidates.empty()) dialog = host_.createAutoLinkDialog();
    if (!dialog || candidates.empty()) {
        context_.autoLinkEvent.Signal(context_.flags, kAutoLinkNothingDone);
    } else {
        dialog->setCandidates(std::move(candidates));
        const bool wasVisible = host_.windowVisible();
        host_.hideWindow();
        const AutoLinkDialog::Outcome outcome = dialog->exec();

        takeBackLibraryEvents();
        bool showAgain = false;
        uint32_t result = kAutoLinkNothingDone;
        if (outcome == AutoLinkDialog::Outcome::kOk) {
            int connected = 0;
            {
                const auto lease = context_.handle.lease();
                if (lease) connected = context_.driver.GetConnectStatus(lease.get());
            }
            if (connected != 0) {
                context_.status.RefreshStatus(true);
                AdoptAutoLinkProfile(context_.profiles, dialog->preparedProfile(), context_.setProfileInUse);
                result = kAutoLinkConnected;
                showAgain = true;
            } else {
                context_.status.RefreshStatus(false);
            }
        } else {
            context_.status.RefreshStatus(false);
            if (dialog->done()) {
                AdoptAutoLinkProfile(context_.profiles, dialog->preparedProfile());
                result = kAutoLinkProfilePrepared;
                showAgain = true;
            }
        }
        context_.autoLinkEvent.Signal(context_.flags, result);

        host_.reselectActivePage();
        if (showAgain || wasVisible) {
            host_.showWindow();
            host_.selectFirstPage();
        }
    }
    dialog.reset();
    takeBackLibraryEvents();
    context_.flags.autoLinkRunning = 0;
}

}  // namespace tembrel
