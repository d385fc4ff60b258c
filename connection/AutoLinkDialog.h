#pragma once
// What the Auto Link flow needs from the Auto Link dialog and from the main window. The dialog
// runs the PIN exchange with the access point; the flow only hands it the candidates, shows it
// modally and reads how it ended.

#include "connection/AutoLinkCandidates.h"
#include "profiles/ProfileRecord.h"

#include <memory>
#include <vector>

namespace tembrel {

class AutoLinkDialog {
public:
    enum class Outcome { kOk, kOther };

    virtual ~AutoLinkDialog() = default;
    // Replaces the dialog's list of access points (sorted, strongest first).
    virtual void setCandidates(std::vector<AutoLinkCandidate> candidates) = 0;
    // Shows the dialog modally. While it is open it receives the library's events itself.
    virtual Outcome exec() = 0;
    // Set when a successful exchange prepared a profile.
    virtual bool done() const = 0;
    // The profile the dialog built (meaningful after OK, or after Cancel with done()).
    virtual PROFILE_RECORD preparedProfile() const = 0;
};

// The main window's part in the flow.
class AutoLinkHost {
public:
    virtual ~AutoLinkHost() = default;
    // A new dialog owned by the main window.
    virtual std::unique_ptr<AutoLinkDialog> createAutoLinkDialog() = 0;
    virtual bool windowVisible() const = 0;
    virtual void hideWindow() = 0;
    virtual void showWindow() = 0;
    virtual void reselectActivePage() = 0;
    virtual void selectFirstPage() = 0;
};

}  // namespace tembrel
