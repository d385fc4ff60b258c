#pragma once
// The Profile Manager page's rules, without the page: which profile shows the in-use icon, which
// buttons a selection allows, and the prefer-list flags. The list's order is ProfileList's.

#include "connection/ConnectionSnapshot.h"
#include "profiles/ProfileList.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tembrel::profile_manager {

// A link exists: connected, or in an ad-hoc network.
inline bool LinkExists(const ConnectionSnapshot& snapshot) { return snapshot.connectedOrAdHocStarted(); }

// The in-use icon when the list is filled or a link event arrives: the record is the profile in
// use, a link exists, and its SSID is "<ANY SSID>", "any" in any letter case, or the snapshot's
// SSID with the snapshot's network type.
bool ShowsInUse(const PROFILE_RECORD& record, bool isProfileInUse, const ConnectionSnapshot& snapshot);

struct ButtonStates {
    bool apply = false;
    bool moveUp = false;
    bool moveDown = false;
    bool remove = false;  // "D&elete"
    bool pane = false;
};

// For the record at `index` of `records` (none: everything off). "<Default>" cannot be deleted or
// edited; the profile in use cannot be deleted while a link exists; the moves are the steps
// CanStep allows.
ButtonStates ButtonsFor(const ProfileSequence& records, std::optional<std::size_t> index,
                        const ProfilePtr& profileInUse, bool linkExists);

// One entry of the list as the page shows it: the record (its identity) and a copy of its fields.
// The copy is taken under the list's lock: the join worker and the supervisor set the prefer-list
// flag of the profile they put in use while the page fills its list.
struct ListRow {
    ProfilePtr record;
    PROFILE_RECORD fields;
};
std::vector<ListRow> ListRows(const ProfileList& list);

// Sets every record's prefer-list flag.
void SetAllPreferred(ProfileList& list, bool preferred);
// Sets one record's prefer-list flag; false when it is no longer in the list.
bool SetPreferred(ProfileList& list, const PROFILE_RECORD* record, bool preferred);

}  // namespace tembrel::profile_manager
