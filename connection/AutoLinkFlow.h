#pragma once
// The Auto Link flow that the main window runs on its user-interface thread when the supervisor
// asks for it (code 1007), and the adoption of the profile the dialog prepared. The flow always
// ends by signalling the Auto Link event with 1009, 1010 or 1011 (or the main window did so
// earlier because the card went away), so the supervisor never waits for nothing.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "connection/AutoLinkDialog.h"
#include "connection/AutoLinkEvent.h"
#include "connection/StatusRefresher.h"
#include "connection/SupervisorFlags.h"
#include "profiles/ProfileList.h"

#include <Tembrel.h>

#include <functional>

namespace tembrel {

using SetProfileInUseFn = std::function<void(const ProfilePtr&)>;

// Copies `prepared` into a new record, removes every profile with the same ssid (exact bytes)
// and the same networkType wherever it stands (except "<Default>"), and puts the new record first, as one change of
// the list. With `setProfileInUse` given, the new record is then passed to it. Returns it.
ProfilePtr AdoptAutoLinkProfile(ProfileList& profiles, const PROFILE_RECORD& prepared,
                                const SetProfileInUseFn& setProfileInUse = {});

struct AutoLinkFlowContext {
    DriverLibrary& driver;
    const AdapterHandle& handle;
    ProfileList& profiles;
    StatusRefresher& status;
    SupervisorFlags& flags;
    AutoLinkEvent& autoLinkEvent;
    // The main window's event receiver, handed back to the library when the dialog is gone.
    const ZARN9100_EVENT_SINK* mainWindowSink;
    SetProfileInUseFn setProfileInUse;
};

class AutoLinkFlow {
public:
    AutoLinkFlow(AutoLinkFlowContext context, AutoLinkHost& host) : context_(std::move(context)), host_(host) {}

    // RunAutoLink: candidate search, the modal dialog, adoption of its profile, the result.
    void RunAutoLink();

private:
    void takeBackLibraryEvents();

    AutoLinkFlowContext context_;
    AutoLinkHost& host_;
};

}  // namespace tembrel
