#pragma once
// Joining a scanned network from the Site Survey page: which stored profile it reuses, the new
// profile made from the scan entry otherwise, and what happens to that profile after the
// connection attempt.

#include "profiles/ProfileList.h"
#include "survey/ScanEntry.h"
#include "survey/SecurityDetection.h"

#include <optional>

namespace tembrel::survey {

// The first profile in list order for the same network: the SSID equal byte for byte (same
// length), the same network type, and a wireless mode of 255 or the entry's band. A profile with
// encryption is not reused for an open network (a look-alike network must not downgrade it).
ProfilePtr FindProfileForEntry(const ProfileSequence& profiles, const ScanEntry& entry);

// A new record for the entry: named after the SSID, made unique against `profiles`; security
// from `security` for an encrypted entry, open otherwise.
ProfilePtr NewProfileForEntry(const ScanEntry& entry, const ScanSecurity& security, const ProfileSequence& profiles);

// What the page does with the profile after ConnectProfile.
enum class JoinFollowUp {
    kInsertAndMarkInUse,   // a new record goes to the head of the list; SetProfileInUse(record)
    kDiscardAndClearInUse, // a new record is dropped (SetProfileInUse(null) when it is in use); rebuild
    kInsertMarkAndRebuild, // insert a new record at the head, SetProfileInUse(record), rebuild
    kRebuild,              // rebuild the list
    kNothing,
};

struct LinkState {
    bool connected = false;
    bool adHocStarted = false;
    std::string ssid;
    uint32_t networkType = 0;
};

// result: ConnectProfile's value (0 associated; 1 and 4 handled alike).
JoinFollowUp FollowUpAfterConnect(int result, bool newRecord, const PROFILE_RECORD& record, const LinkState& link);

// A join refused: no association, and no link to the record's network either.
bool JoinRefused(int result, const PROFILE_RECORD& record, const LinkState& link);

// A stored profile's security was changed for a join that was then refused: `record` takes back
// the security settings of `before` (authentication, encryption, WEP keys, passphrase, 802.1x
// credentials), so that what worked is not lost to a typo. Returns what the user is told
// ("Home-WPA2 keeps its previous passphrase"), or nothing when the security was not changed.
std::optional<std::string> KeepPreviousSecurity(PROFILE_RECORD& record, const PROFILE_RECORD& before);

}  // namespace tembrel::survey
