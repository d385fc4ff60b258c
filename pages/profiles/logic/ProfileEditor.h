#pragma once
// What the profile wizard does between its pages and a profile record, without windows: the
// pages of each mode, loading a record into them, checking them in order, and storing them.

#include <optional>
#include <string>

#include "pages/profiles/logic/NetworkPageModel.h"
#include "pages/profiles/logic/ProtocolPageModel.h"
#include "pages/profiles/logic/SecurityPageModel.h"
#include "profiles/ProfileList.h"

namespace tembrel {

// create: Network, Security, Protocol (and the summary); configure: Security only;
// pane: Network, Security, Protocol.
enum class WizardMode { Create, Configure, Pane };

enum class WizardPage { Network, Security, Protocol };

struct PageProblem {
    WizardPage page;
    std::string message;
};

class ProfileEditor {
public:
    explicit ProfileEditor(WizardMode mode);

    WizardMode mode() const { return mode_; }
    bool has(WizardPage page) const;

    NetworkPageModel& network() { return network_; }
    SecurityPageModel& security() { return security_; }
    ProtocolPageModel& protocol() { return protocol_; }
    const NetworkPageModel& network() const { return network_; }
    const SecurityPageModel& security() const { return security_; }
    const ProtocolPageModel& protocol() const { return protocol_; }

    // The record's values into every present page; adHoc and band follow the record.
    void load(const PROFILE_RECORD& record);
    bool adHoc() const { return adHoc_; }
    uint32_t band() const { return band_; }

    // The user changed the network type, the wireless mode or the band on the network page: the
    // other pages follow.
    void networkChangedByUser();

    // The checks of the present pages in order (network, security, protocol), up to the first
    // problem. `records` is the profile list and `self` the record being edited (null for one
    // not in the list), which is not compared with itself.
    std::optional<PageProblem> validate(const ProfileSequence& records, const PROFILE_RECORD* self);
    // Every present page stores its fields (network, security, protocol).
    void store(PROFILE_RECORD& record) const;

    // The completion page's text, one "\r\n"-ended line per item.
    std::string summary() const;

private:
    WizardMode mode_;
    NetworkPageModel network_;
    SecurityPageModel security_;
    ProtocolPageModel protocol_;
    bool adHoc_ = false;
    uint32_t band_ = 255;
};

}  // namespace tembrel
